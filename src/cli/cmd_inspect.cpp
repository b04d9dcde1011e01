// kelvo-cli inspect FILE: the header and blocks of a settings file, without a sensor.

#include <iostream>

#include "cli/cli_command.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"

namespace kelvo::cli {
namespace {

int inspect(const GlobalOptions&, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "kelvo-cli: inspect takes one settings file\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    const FileReadResult file = ReadFileBounded(path, kSetReaderLimit + 1);
    if (file.status == FileReadStatus::Missing) {
        std::cerr << "File not found " << path << "\n";
        return kExitFailed;
    }
    if (file.status == FileReadStatus::Failed || file.status == FileReadStatus::NotRegular) {
        std::cerr << file.error << "\n";
        return kExitFailed;
    }
    const SetFileParse parsed = ParseSetFile(file.bytes);
    const SetFileLayout& layout = parsed.layout;
    std::cout << "file length: " << file.fileSize << "\n";
    if (parsed.fault != SetFileFault::TooShort) {
        std::cout << "writer flag: " << int(layout.writerFlag) << "\n"
                  << "checksum: stored " << layout.storedChecksum << ", computed "
                  << layout.computedChecksum << "\n"
                  << "payload length: " << layout.payloadLength << "\n"
                  << "block count: " << layout.blockCount << "\n";
    }
    for (const SetFileBlock& block : layout.blocks) {
        std::cout << "block at " << block.offset << ": type " << block.type << ", length "
                  << block.length << "\n";
    }
    if (!parsed.ok() || file.fileSize != file.bytes.size()) {
        const SetFileFault fault = parsed.ok() ? SetFileFault::TooLong : parsed.fault;
        std::cerr << "File is damaged " << path << "\n(" << SetFileFaultText(fault) << ")\n";
        return kExitFailed;
    }
    return kExitOk;
}

const RegisterCommand registered({"inspect",
                                  "inspect FILE  show a settings file's header and blocks",
                                  inspect});

}  // namespace
}  // namespace kelvo::cli
