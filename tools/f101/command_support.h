#pragma once
// Pieces the commands share: the chapters a command is asked for, the default protocol of a
// report folder (the instance: instance_choice.h), and the mapping of failures to exit statuses.
#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands.h"
#include "form101.h"
#include "platform/text/cp1251.h"
#include "report_folder.h"

namespace tesma::f101 {

inline std::string DefaultProtocol(const reportkit::ReportFolder& folder, const std::string& given) {
    return given.empty() ? folder.dir + "protocol.txt" : given;
}

// The chapters named by letters ("all": every chapter the folder holds).
std::vector<reportkit::Chapter> ChosenChapters(const std::vector<std::string>& letters,
                                               const reportkit::ReportFolder& folder);

// Runs a command body: a UsageError or std::invalid_argument is exit 2, any other failure exit 3,
// each said in one line on standard error.
template <typename Body>
int Guarded(Body body) {
    try {
        return body();
    } catch (const reportkit::UsageError& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::invalid_argument& e) {
        std::cerr << "f101: " << e.what() << '\n';
        return kUsage;
    } catch (const std::exception& e) {
        std::cerr << "f101: " << text::ToUtf8(e.what()) << '\n';
        return kCouldNotCheck;
    }
}

}  // namespace tesma::f101
