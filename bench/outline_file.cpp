// Writes the benchmarks' generated outline as a backup file, for timing the command-line tool
// on the same bytes the format benchmarks read: outline_file ITEMS PATH.
#include "bench/outline_generator.hpp"
#include "core/formats/backup_codec.hpp"
#include "core/formats/file_system.hpp"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc != 3) {
        std::fprintf(stderr, "usage: outline_file ITEMS PATH\n");
        return 2;
    }
    const auto document = bench::generateOutline(std::stoll(argv[1]));
    LocalFileSystem files;
    auto written = files.write(argv[2], BackupCodec::encode({document}, BackupSettings{}),
                               FileSystem::Overwrite::replace);
    if (!written) {
        std::fprintf(stderr, "outline_file: %s\n", written.error().message.c_str());
        return 1;
    }
    return 0;
}
