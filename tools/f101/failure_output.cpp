#include "failure_output.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tesma::f101 {

namespace {

void PrintRecord(std::ostream& out, const std::string& severity, const std::string& message, const std::string& file) {
    nlohmann::json j;
    j["row"] = nullptr;
    j["code"] = nullptr;
    j["severity"] = severity;
    j["message"] = message;
    j["file"] = file.empty() ? nlohmann::json(nullptr) : nlohmann::json(file);
    out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace

void PrintFailureJson(std::ostream& out, const std::string& message, const std::string& file) {
    PrintRecord(out, "failure", message, file);
}

void PrintStopJson(std::ostream& out) {
    PrintRecord(out, "stopped", "stopped by the operator; the rest of the command was not run", "");
}

std::string FileInMessage(const std::string& message) {
    std::istringstream words(message);
    for (std::string w; words >> w;) {
        if (w.find('/') == std::string::npos) continue;
        while (!w.empty() &&
               (w.back() == ':' || w.back() == ',' || w.back() == '"' || w.back() == '\'' || w.back() == ')'))
            w.pop_back();
        while (!w.empty() && (w.front() == '"' || w.front() == '\'' || w.front() == '(')) w.erase(0, 1);
        if (!w.empty()) return w;
    }
    return {};
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

}  // namespace tesma::f101
