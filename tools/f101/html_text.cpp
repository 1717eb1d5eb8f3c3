#include "html_text.h"

namespace tesma::f101 {

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
}

std::string Escaped(std::string_view text) {
    std::string out;
    AppendEscaped(out, text);
    return out;
}

namespace {

const PageWords kEnglish = {
    .lang = "en",
    .title = "Form 101 check",
    .indexTitle = "Form 101 check of several reports",
    .regn = "Registration number",
    .bank = "Institution",
    .date = "Reporting date",
    .instance = "Report instance",
    .checkedAt = "Checked at",
    .version = "f101 version",
    .folder = "Report folder",
    .chapter = "Chapter",
    .errors = "Errors",
    .warnings = "Warnings",
    .failures = "Failures",
    .total = "Total",
    .counts = "Findings by chapter",
    .error = "error",
    .warning = "warning",
    .failure = "failure",
    .severity = "Severity",
    .row = "row",
    .account = "account",
    .difference = "difference",
    .rule = "Rule",
    .table = "Table",
    .rows = "rows",
    .findings = "Findings",
    .noFindings = "No findings.",
    .reports = "Reports",
    .code = "Code",
    .previous = "previous period",
    .current = "this report",
    .active = "sum over active accounts",
    .passive = "sum over passive accounts",
    .counter = "sum over accounts 99998 and 99999",
    .others = "sum over the other accounts",
    .ofAccount = "account",
    .onlyWithFindings = "Only reports with errors or failures",
    .byCode = "Findings by code",
    .allReports = "All reports",
    .state = "State",
    .stopped = "stopped by the operator",
    .notRun = "not checked",
    .refused = "refused",
    .clean = "clean",
    .failed = "failed",
    .time = "Time taken",
    .withErrors = "errors",
    .warningsOnly = "warnings only",
    .cutOff = "the check of this report ended without its result",
    .explanation = "What the rule checks",
};

const PageWords kRussian = {
    .lang = "ru",
    .title = "Проверка формы 101",
    .indexTitle = "Проверка формы 101: несколько отчётов",
    .regn = "Регистрационный номер",
    .bank = "Кредитная организация",
    .date = "Отчётная дата",
    .instance = "Экземпляр отчёта",
    .checkedAt = "Проверен",
    .version = "Версия f101",
    .folder = "Папка отчёта",
    .chapter = "Глава",
    .errors = "Ошибки",
    .warnings = "Предупреждения",
    .failures = "Сбои",
    .total = "Итого",
    .counts = "Замечания по главам",
    .error = "ошибка",
    .warning = "предупреждение",
    .failure = "сбой",
    .severity = "Важность",
    .row = "строка",
    .account = "счёт",
    .difference = "разница",
    .rule = "Правило",
    .table = "Таблица",
    .rows = "строк",
    .findings = "Замечания",
    .noFindings = "Замечаний нет.",
    .reports = "Отчёты",
    .code = "Код",
    .previous = "прошлый период",
    .current = "этот отчёт",
    .active = "сумма по активным счетам",
    .passive = "сумма по пассивным счетам",
    .counter = "сумма по счетам 99998 и 99999",
    .others = "сумма по остальным счетам",
    .ofAccount = "счёт",
    .onlyWithFindings = "Только отчёты с ошибками или сбоями",
    .byCode = "Замечания по кодам",
    .allReports = "Все отчёты",
    .state = "Состояние",
    .stopped = "остановлена оператором",
    .notRun = "не проверен",
    .refused = "отказ",
    .clean = "без ошибок",
    .failed = "сбой",
    .time = "Длительность проверки",
    .withErrors = "есть ошибки",
    .warningsOnly = "только предупреждения",
    .cutOff = "проверка этого отчёта закончилась, не сообщив результата",
    .explanation = "Что проверяет правило",
};

}  // namespace

const PageWords& WordsOf(Language language) { return language == Language::Russian ? kRussian : kEnglish; }

std::string_view SeverityWord(const PageWords& words, std::string_view severity) {
    if (severity == "error") return words.error;
    if (severity == "warning") return words.warning;
    return words.failure;
}

}  // namespace tesma::f101
