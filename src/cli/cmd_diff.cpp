// kelvo-cli diff A.Set B.Set: where two settings files differ.

#include <iostream>

#include "cli/cli_command.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "service/settings_diff.h"

namespace kelvo::cli {
namespace {

int diff(const GlobalOptions&, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << "kelvo-cli: diff takes two settings files\n";
        return kExitUsage;
    }
    Bytes files[2];
    for (int i = 0; i < 2; ++i) {
        FileReadResult read = ReadFileBounded(args[i], kSetReaderLimit);
        if (read.status != FileReadStatus::Ok) {
            std::cerr << (read.status == FileReadStatus::Missing      ? "File not found " + args[i]
                          : read.status == FileReadStatus::NotRegular ? read.error
                                                                      : args[i] + ": " + read.error)
                      << "\n";
            return kExitFailed;
        }
        if (read.fileSize > kSetReaderLimit) read.bytes.push_back(0);  // seen as too long
        files[i] = std::move(read.bytes);
    }
    const SettingsDiff result = DiffSettingsFiles(files[0], args[0], files[1], args[1]);
    if (!result.error.empty()) {
        std::cerr << result.error << "\n";
        return kExitFailed;
    }
    for (const std::string& line : result.lines) std::cout << line << "\n";
    std::cout << (result.bytes == 0 ? std::string("No bytes differ")
                                    : std::to_string(result.bytes) +
                                          (result.bytes == 1 ? " byte differs" : " bytes differ"))
              << "\n";
    return kExitOk;
}

const RegisterCommand registered({"diff", "diff A.Set B.Set  list where two settings files differ",
                                  diff});

}  // namespace
}  // namespace kelvo::cli
