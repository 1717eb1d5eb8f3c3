// f101 check --html, judged by a real browser: headless Chromium opens the pages written from
// real published institutions, with no console message; its DOM holds every finding and a row
// anchor for each row a finding names, scripts or not; a screenshot shows the columns a balance
// finding compares marked.
#include <nlohmann/json.hpp>

#include <regex>
#include <set>

#include "browser.h"
#include "f101_fixture.h"
#include "png.h"

namespace tesma::testing {
namespace {

const std::string kNineBanks = std::string(TESMA_TEST_DATA) + "/f101-2013-01-01-nine-banks.csv.gz";
const std::string kNames = std::string(TESMA_DEMO_DIR) + "/bank-names.csv";

// Institution 2618's report with one account out of balance: the credit turnover in roubles of
// 20202 (and its total) made 5 smaller, so incoming + debit − credit exceeds outgoing by 5.
std::string UnbalancedReport(const TempDir& dir) {
    const std::string folder = ImportInstitution(dir, "2618");
    const std::string table = folder + "F101_1.DB";
    ProcessResult exported = RunF101({"export", table, "--with-types"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    std::string csv = exported.out;
    const std::string before = "1,20202,А,314568,1296979,1611547,2487413,4204905,6692318,2589333,4234304,6823637,";
    const std::string after = "1,20202,А,314568,1296979,1611547,2487413,4204905,6692318,2589328,4234304,6823632,";
    const std::size_t at = csv.find(before);
    EXPECT_NE(at, std::string::npos) << "the published row of 20202 changed";
    if (at != std::string::npos) csv.replace(at, before.size(), after);
    WriteText(dir / "f101_1.csv", csv);
    ProcessResult imported = RunF101({"import", dir / "f101_1.csv", table, "--replace"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    return folder;
}

// The findings f101 printed as JSON Lines (records with a code).
std::vector<nlohmann::json> Findings(const std::string& out) {
    std::vector<nlohmann::json> findings;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        auto j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_object() && j.contains("code") && j["code"].is_string()) findings.push_back(j);
    }
    return findings;
}

std::string HtmlText(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

// The articles of a DOM: each finding's markup.
std::vector<std::string> Articles(const std::string& dom) {
    std::vector<std::string> articles;
    for (std::size_t at = dom.find("<article class=\"finding"); at != std::string::npos;
         at = dom.find("<article class=\"finding", at + 1))
        articles.push_back(dom.substr(at, dom.find("</article>", at) - at));
    return articles;
}

// No address outside the page: nothing loaded, links only to anchors and to pages beside it.
void ExpectSelfContained(const std::string& html, const std::string& folder) {
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find(" src="), std::string::npos);
    EXPECT_EQ(html.find("url("), std::string::npos);
    EXPECT_EQ(html.find("@import"), std::string::npos);
    const std::regex href("href=\"([^\"]*)\"");
    for (auto m = std::sregex_iterator(html.begin(), html.end(), href); m != std::sregex_iterator(); ++m) {
        const std::string target = (*m)[1];
        if (target.starts_with("#")) continue;
        EXPECT_EQ(target.find_first_of(":/"), std::string::npos) << target;
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + target)) << target;
    }
}

class F101Html : public ::testing::Test {
protected:
    void SetUp() override {
        if (HeadlessBrowser().empty()) FAIL() << "headless Chromium is not installed (make deps installs it)";
    }
};

TEST_F(F101Html, TheReportPageHoldsEveryFindingWithItsRowAndArithmetic) {
    TempDir dir;
    const std::string folder = UnbalancedReport(dir);
    const std::string page = dir / "report.html";
    ProcessResult r = RunF101({"check", folder, "--json", "--dry-run", "--lang", "en", "--html", page});
    ASSERT_EQ(r.status, 1) << r.err;
    const std::vector<nlohmann::json> findings = Findings(r.out);
    ASSERT_GT(findings.size(), 3u);
    ExpectSelfContained(ReadBytes(page), dir.path());

    // The page as written, and a copy the browser must open with every script blocked.
    std::string blocked = ReadBytes(page);
    blocked.insert(blocked.find("<head>") + 6,
                   "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'\">");
    WriteText(dir / "blocked.html", blocked);
    for (bool scripts : {true, false}) {
        LoadedPage loaded = LoadPage(scripts ? page : dir / "blocked.html");
        ASSERT_EQ(loaded.run.status, 0) << loaded.run.err;
        EXPECT_TRUE(loaded.console.empty()) << loaded.console.front();
        const std::vector<std::string> articles = Articles(loaded.dom);
        ASSERT_EQ(articles.size(), findings.size()) << "scripts " << scripts;
        for (const nlohmann::json& f : findings) {
            const std::string code = f["code"], message = f["message"];
            const auto article = std::find_if(articles.begin(), articles.end(), [&](const std::string& a) {
                return a.find("<b>" + code + "</b>") != std::string::npos &&
                       a.find(HtmlText(message)) != std::string::npos;
            });
            ASSERT_NE(article, articles.end()) << code << " " << message;
            if (!f["account"].is_string()) continue;
            // A finding about an account links to its row of the chapter table, and back.
            std::smatch link;
            ASSERT_TRUE(std::regex_search(*article, link, std::regex("href=\"#(r[A-Z][0-9]+)\""))) << *article;
            const std::size_t row = loaded.dom.find("<tr id=\"" + std::string(link[1]) + "\"");
            ASSERT_NE(row, std::string::npos) << link[1];
            const std::string id =
                article->substr(article->find("id=\"") + 4, article->find("\"><p") - article->find("id=\"") - 4);
            EXPECT_NE(loaded.dom.substr(row, loaded.dom.find("</tr>", row) - row).find("href=\"#" + id + "\""),
                      std::string::npos)
                << id;
        }
    }
    // The balance finding: the rule with the row's numbers and the difference, the header,
    // the institution and the explanation in the language asked for.
    const std::string html = ReadBytes(page);
    EXPECT_NE(html.find("VX_RUB + OB_AK_RUB \u2212 OB_PAS_RUB \u2260 IS_RUB<br>"
                        "314568 + 2487413 \u2212 2589328 = 212653 \u2260 212648, difference <span class=\"diff\">5"),
              std::string::npos);
    EXPECT_NE(html.find("<dt>Registration number</dt><dd>2618</dd>"), std::string::npos);
    EXPECT_NE(html.find("incoming + debit"), std::string::npos);
    ProcessResult ru = RunF101({"check", folder, "--dry-run", "--lang", "ru", "--html", page});
    EXPECT_EQ(ru.status, 1) << ru.err;
    EXPECT_NE(ReadBytes(page).find("<html lang=\"ru\">"), std::string::npos);
    EXPECT_NE(ReadBytes(page).find("разница <span class=\"diff\">5"), std::string::npos);
}

TEST_F(F101Html, AScreenshotShowsTheColumnsABalanceFindingCompares) {
    TempDir dir;
    const std::string folder = UnbalancedReport(dir);
    const std::string page = dir / "report.html", png = dir / "report.png";
    ProcessResult r = RunF101({"check", folder, "--chapter", "А", "--dry-run", "--lang", "en", "--html", page});
    ASSERT_EQ(r.status, 1) << r.err;
    // The first finding with marked columns is the unbalanced account's, E101121.
    const std::string html = ReadBytes(page);
    const std::size_t first = html.find("class=\"cmp\"");
    ASSERT_NE(first, std::string::npos);
    const std::size_t article = html.rfind("<article", first);
    ASSERT_NE(article, std::string::npos);
    EXPECT_NE(html.substr(article, first - article).find("<b>E101121</b>"), std::string::npos);

    ProcessResult shot = Screenshot(page, png, 1600, 1200);
    ASSERT_EQ(shot.status, 0) << shot.err;
    const Image image = ReadPng(png);
    ASSERT_EQ(image.width, 1600);
    // Marked cells are amber. The first marked table on the screen (its lines of amber, text
    // between them aside) shows four separate columns of it, VX_RUB, OB_AK_RUB, OB_PAS_RUB and
    // IS_RUB, each a cell wide, from the header down through the row.
    const Rgb amber{0xff, 0xcc, 0x33};
    auto amberOn = [&](int y) {
        int n = 0;
        for (int x = 0; x < image.width; ++x) n += image.At(x, y) == amber;
        return n;
    };
    int top = 0;
    while (top < image.height && amberOn(top) < 40) ++top;
    ASSERT_LT(top, image.height) << "no marked column on the screen";
    int bottom = top;
    for (int y = top; y < image.height && y <= bottom + 12; ++y)
        if (amberOn(y) > 0) bottom = y;
    std::vector<bool> marked(image.width, false);
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.At(x, y) == amber) marked[x] = true;
    std::vector<std::pair<int, int>> columns;
    for (int x = 0; x < image.width; ++x) {
        if (!marked[x]) continue;
        if (columns.empty() || columns.back().second != x - 1)
            columns.push_back({x, x});
        else
            columns.back().second = x;
    }
    ASSERT_EQ(columns.size(), 4u);
    for (const auto& [left, right] : columns) EXPECT_GT(right - left, 40) << left;
    EXPECT_GT(bottom - top, 30) << "the header cell and the row's cell";
}

TEST_F(F101Html, ABatchWritesAnIndexInRegistrationOrderLinkingAPagePerReport) {
    TempDir dir;
    ProcessResult imported = RunF101({"import-published", kNineBanks, "--regn", "all", "--out", dir / "tree", "--chart",
                                      kDemoSigns, "--names", kNames});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const std::string pages = dir / "pages";
    ProcessResult r =
        RunF101({"check", dir / "tree", "--recursive", "--quiet", "--dry-run", "--html", pages, "-j", "2"});
    ASSERT_EQ(r.status, 1) << r.err;
    const std::string index = pages + "/index.html";
    ExpectSelfContained(ReadBytes(index), pages);
    LoadedPage loaded = LoadPage(index);
    ASSERT_EQ(loaded.run.status, 0) << loaded.run.err;
    EXPECT_TRUE(loaded.console.empty()) << loaded.console.front();
    // Every report, in numeric order of registration number, with its name and a page.
    const std::regex row(
        "<tr(?: class=\"clean\")?><td><a href=\"([^\"]+)\">([0-9]+)</a></td><td class=\"t\">([^<]*)</td>");
    std::vector<std::string> order;
    int findingsOnPages = 0;
    for (auto m = std::sregex_iterator(loaded.dom.begin(), loaded.dom.end(), row); m != std::sregex_iterator(); ++m) {
        order.push_back((*m)[2]);
        EXPECT_FALSE((*m)[3].str().empty()) << (*m)[2];
        const std::string reportPage = pages + "/" + (*m)[1].str();
        ExpectSelfContained(ReadBytes(reportPage), pages);
        findingsOnPages += static_cast<int>(Articles(ReadBytes(reportPage)).size());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1", "2", "5", "18", "21", "23", "52", "53", "55"}));
    EXPECT_NE(loaded.dom.find("ЗАО ЮниКредит Банк"), std::string::npos);
    // The counts by code, as a table and a chart, add up to the findings of the pages.
    EXPECT_NE(loaded.dom.find("<svg"), std::string::npos);
    const std::string codes = loaded.dom.substr(loaded.dom.find("<table class=\"codes\">"));
    const std::regex count("</span></td><td>([0-9]+)</td><td>([0-9]+)</td></tr>");
    int counted = 0;
    for (auto m = std::sregex_iterator(codes.begin(), codes.begin() + codes.find("</table>"), count);
         m != std::sregex_iterator(); ++m) {
        counted += std::stoi((*m)[1]);
        EXPECT_LE(std::stoi((*m)[2]), 9);
    }
    EXPECT_EQ(counted, findingsOnPages);
    EXPECT_GT(counted, 9);

    // A batch's --html names a folder.
    WriteText(dir / "file.html", "");
    ProcessResult file = RunF101({"check", dir / "tree", "--recursive", "--quiet", "--html", dir / "file.html"});
    EXPECT_EQ(file.status, 2);
    EXPECT_NE(file.err.find("file.html: not a folder"), std::string::npos) << file.err;
}

}  // namespace
}  // namespace tesma::testing
