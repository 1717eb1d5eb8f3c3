#include "check_result_json.h"

#include <stdexcept>

#include "platform/text/cp1251.h"

namespace tesma::f101 {

using nlohmann::json;

namespace {

constexpr int kFormat = 1;

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF), as a JSON writer requires.
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
        const unsigned char c = b(i);
        std::size_t n = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (c < 0x80)
            n = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            n = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 2, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 3, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        else
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
            if (b(i + k) < lo || b(i + k) > hi) return false;
        }
        i += n + 1;
    }
    return true;
}

json Text(const std::string& s) {
    if (IsUtf8(s)) return s;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const char c : s) {
        hex += kHex[static_cast<unsigned char>(c) >> 4];
        hex += kHex[static_cast<unsigned char>(c) & 15];
    }
    return json{{"bytes", hex}};
}

std::string TextOf(const json& j) {
    if (j.is_string()) return j.get<std::string>();
    const std::string hex = j.at("bytes").get<std::string>();
    if (hex.size() % 2 != 0) throw std::runtime_error("an odd number of hex digits");
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

json OptionalText(const std::optional<std::string>& s) { return s ? Text(*s) : json(nullptr); }
std::optional<std::string> OptionalTextOf(const json& j) {
    if (j.is_null()) return std::nullopt;
    return TextOf(j);
}

// Code page 1251 bytes as UTF-8, every byte kept (0x98, undefined in the code page, as U+0098).
std::string Cp1251ToUtf8(const std::string& cp1251) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = cp1251.find('\x98', from)) != std::string::npos; from = at + 1)
        out += text::ToUtf8(std::string_view(cp1251).substr(from, at - from)) + "\xC2\x98";
    return out + text::ToUtf8(std::string_view(cp1251).substr(from));
}

std::string Utf8ToCp1251(const std::string& utf8) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = utf8.find("\xC2\x98", from)) != std::string::npos; from = at + 2)
        out += text::FromUtf8(std::string_view(utf8).substr(from, at - from), true) + '\x98';
    return out + text::FromUtf8(std::string_view(utf8).substr(from), true);
}

// A finding record as its keys and values; the named parts are read back from them as from the
// library's own record line.
json RecordJson(const hostkit::FindingRecord& r) {
    json keys = json::array();
    for (const auto& [k, v] : r.keys) keys.push_back(json::array({Cp1251ToUtf8(k), Cp1251ToUtf8(v)}));
    return keys;
}

hostkit::FindingRecord RecordOf(const json& j) {
    if (j.empty()) return {};
    std::string line;
    for (const json& pair : j) {
        if (!line.empty()) line += '\t';
        line += Utf8ToCp1251(pair.at(0).get<std::string>()) + '=';
        for (const char c : Utf8ToCp1251(pair.at(1).get<std::string>())) {
            if (c == '\\')
                line += "\\\\";
            else if (c == '\t')
                line += "\\t";
            else if (c == '\n')
                line += "\\n";
            else if (c == '\r')
                line += "\\r";
            else
                line += c;
        }
    }
    return hostkit::ParseFindingRecord(line);
}

json FailuresJson(const std::vector<Failure>& failures) {
    json out = json::array();
    for (const Failure& f : failures) out.push_back({{"message", Text(f.message)}, {"file", Text(f.file)}});
    return out;
}

std::vector<Failure> FailuresOf(const json& j) {
    std::vector<Failure> out;
    for (const json& f : j) out.push_back({TextOf(f.at("message")), TextOf(f.at("file"))});
    return out;
}

json FindingJson(const Finding& f) {
    return {{"row", f.line.row ? json(*f.line.row) : json(nullptr)},
            {"code", Text(f.line.code)},
            {"severity", Text(f.line.severity)},
            {"message", Text(f.line.message)},
            {"report", Text(f.report)},
            {"chapter", Text(f.chapter)},
            {"procedure", Text(f.procedure)},
            {"table", Text(f.table)},
            {"account", OptionalText(f.account)},
            {"sign", OptionalText(f.sign)},
            {"explanation", OptionalText(f.explanation)},
            {"record", RecordJson(f.record)}};
}

Finding FindingOf(const json& j) {
    Finding f;
    if (!j.at("row").is_null()) f.line.row = j.at("row").get<std::int64_t>();
    f.line.code = TextOf(j.at("code"));
    f.line.severity = TextOf(j.at("severity"));
    f.line.message = TextOf(j.at("message"));
    f.report = TextOf(j.at("report"));
    f.chapter = TextOf(j.at("chapter"));
    f.procedure = TextOf(j.at("procedure"));
    f.table = TextOf(j.at("table"));
    f.account = OptionalTextOf(j.at("account"));
    f.sign = OptionalTextOf(j.at("sign"));
    f.explanation = OptionalTextOf(j.at("explanation"));
    f.record = RecordOf(j.at("record"));
    return f;
}

// Reading a document: any fault of its shape is a runtime_error.
template <typename Read>
auto Reading(Read read) {
    try {
        return read();
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("not a check result: ") + e.what());
    } catch (const std::invalid_argument& e) {
        throw std::runtime_error(std::string("not a check result: ") + e.what());
    }
}

}  // namespace

json ChapterRunJson(const ChapterRun& run) {
    json findings = json::array();
    for (const Finding& f : run.findings) findings.push_back(FindingJson(f));
    return {{"chapter", Text(run.chapter)},    {"procedure", Text(run.procedure)},
            {"table", Text(run.table)},        {"table_path", Text(run.tablePath)},
            {"table_id", run.tableId},         {"outcome", Text(run.outcome)},
            {"findings", std::move(findings)}, {"failures", FailuresJson(run.failures)}};
}

ChapterRun ChapterRunFromJson(const json& j) {
    return Reading([&] {
        ChapterRun run;
        run.chapter = TextOf(j.at("chapter"));
        run.procedure = TextOf(j.at("procedure"));
        run.table = TextOf(j.at("table"));
        run.tablePath = TextOf(j.at("table_path"));
        run.tableId = j.at("table_id").get<std::int32_t>();
        run.outcome = TextOf(j.at("outcome"));
        for (const json& f : j.at("findings")) run.findings.push_back(FindingOf(f));
        run.failures = FailuresOf(j.at("failures"));
        return run;
    });
}

json ReportResultJson(const ReportResult& r, bool withChapters) {
    json j = {
        {"format", kFormat},
        {"folder", Text(r.folder)},
        {"report", Text(r.report)},
        {"regn", Text(r.regn)},
        {"bank_name", Text(r.bankName)},
        {"reporting_date", Text(r.reportingDate)},
        {"instance", r.instance},
        {"checked_at", Text(r.checkedAt)},
        {"version", Text(r.version)},
        {"failures", FailuresJson(r.failures)},
        {"ended_by_failure", r.endedByFailure},
        {"refusal", Text(r.refusal)},
        {"stopped", r.stopped},
        {"counts", {{"errors", r.counts.errors}, {"warnings", r.counts.warnings}, {"failures", r.counts.failures}}},
        {"exit_status", r.exitStatus},
        {"seconds", r.seconds},
        {"cut_off", r.cutOff},
        {"worker_output", Text(r.workerOutput)},
        {"worker_errors", Text(r.workerErrors)}};
    if (withChapters) {
        json chapters = json::array();
        for (const ChapterRun& c : r.chapters) chapters.push_back(ChapterRunJson(c));
        j["chapters"] = std::move(chapters);
    }
    return j;
}

ReportResult ReportResultFromJson(const json& j) {
    return Reading([&] {
        if (j.at("format").get<int>() != kFormat)
            throw std::runtime_error("a check result of another format (" + j.at("format").dump() + ")");
        ReportResult r;
        r.folder = TextOf(j.at("folder"));
        r.report = TextOf(j.at("report"));
        r.regn = TextOf(j.at("regn"));
        r.bankName = TextOf(j.at("bank_name"));
        r.reportingDate = TextOf(j.at("reporting_date"));
        r.instance = j.at("instance").get<std::int32_t>();
        r.checkedAt = TextOf(j.at("checked_at"));
        r.version = TextOf(j.at("version"));
        r.failures = FailuresOf(j.at("failures"));
        r.endedByFailure = j.at("ended_by_failure").get<bool>();
        r.refusal = TextOf(j.at("refusal"));
        r.stopped = j.at("stopped").get<bool>();
        const json& counts = j.at("counts");
        r.counts = {counts.at("errors").get<int>(), counts.at("warnings").get<int>(), counts.at("failures").get<int>()};
        r.exitStatus = j.at("exit_status").get<int>();
        r.seconds = j.at("seconds").get<double>();
        r.cutOff = j.at("cut_off").get<bool>();
        r.workerOutput = TextOf(j.at("worker_output"));
        r.workerErrors = TextOf(j.at("worker_errors"));
        if (j.contains("chapters"))
            for (const json& c : j.at("chapters")) r.chapters.push_back(ChapterRunFromJson(c));
        return r;
    });
}

void ResultWriter::ChapterDone(const ReportResult&, const ChapterRun& run) {
    out_ << json{{"chapter", ChapterRunJson(run)}}.dump() << '\n';
    out_.flush();
}

void ResultWriter::ReportDone(const ReportResult& report) {
    out_ << json{{"report", ReportResultJson(report, false)}}.dump() << '\n';
    out_.flush();
}

bool ResultReader::Add(std::string_view line) {
    const json j = Reading([&] { return json::parse(line); });
    if (!j.is_object() || j.size() != 1) throw std::runtime_error("not a line of check results");
    if (j.contains("chapter")) {
        pending_.push_back(ChapterRunFromJson(j.at("chapter")));
        return false;
    }
    if (!j.contains("report")) throw std::runtime_error("not a line of check results");
    ReportResult r = ReportResultFromJson(j.at("report"));
    r.chapters = std::move(pending_);
    pending_.clear();
    done_ = std::move(r);
    return true;
}

ReportResult ResultReader::Take() {
    if (!done_) throw std::logic_error("no report completed");
    ReportResult r = std::move(*done_);
    done_.reset();
    return r;
}

}  // namespace tesma::f101
