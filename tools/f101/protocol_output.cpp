#include "protocol_output.h"

#include <iostream>

namespace tesma::f101 {

using reportkit::ProtocolLine;

namespace {

nlohmann::json OrNull(const std::string& s) { return s.empty() ? nlohmann::json(nullptr) : nlohmann::json(s); }

}  // namespace

nlohmann::json LineRecord(const ProtocolLine& line) {
    nlohmann::json j;
    j["row"] = line.row ? nlohmann::json(*line.row) : nlohmann::json(nullptr);
    j["code"] = OrNull(line.code);
    j["severity"] = line.severity;
    j["message"] = line.message;
    return j;
}

nlohmann::json FailureRecord(const Failure& failure) {
    nlohmann::json j = LineRecord({std::nullopt, "", "failure", failure.message});
    j["file"] = OrNull(failure.file);
    return j;
}

void PrintRecord(std::ostream& out, const nlohmann::json& record) {
    out << record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void PrintText(std::ostream& out, const std::vector<ProtocolLine>& lines) {
    for (const auto& l : lines) {
        if (l.row)
            out << *l.row << ": " << l.code << ' ' << l.message << '\n';
        else
            out << l.message << '\n';
    }
}

void PrintJson(std::ostream& out, const std::vector<ProtocolLine>& lines) {
    for (const auto& l : lines) PrintRecord(out, LineRecord(l));
}

nlohmann::json StoppedRecord(const std::string& message) {
    nlohmann::json j = FailureRecord({message, ""});
    j["severity"] = "stopped";
    return j;
}

void SayStopped(bool json) {
    std::cerr << "f101: " << kStoppedMessage << '\n';
    if (json) {
        PrintRecord(std::cout, StoppedRecord(kStoppedMessage));
        std::cout.flush();
    }
}

}  // namespace tesma::f101
