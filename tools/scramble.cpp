// Scrambles asset files for the plug-ins and the program: every byte XORed with the
// program's key. Built for the host and run by the build.
//   scramble OUTDIR FILE...   writes OUTDIR/<file name>.bin for each FILE
#include <cstdio>
#include <string>
#include <vector>

#include "common/scramble.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: scramble OUTDIR FILE...\n");
        return 2;
    }
    const std::string outDir = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string in = argv[i];
        std::FILE* source = std::fopen(in.c_str(), "rb");
        if (source == nullptr) {
            std::fprintf(stderr, "scramble: cannot read %s\n", in.c_str());
            return 1;
        }
        std::vector<unsigned char> bytes;
        unsigned char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, source)) > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        std::fclose(source);
        for (unsigned char& b : bytes) {
            b ^= ScrambleKey;
        }
        const std::string name = in.substr(in.find_last_of('/') + 1);
        const std::string out = outDir + "/" + name + ".bin";
        std::FILE* target = std::fopen(out.c_str(), "wb");
        if (target == nullptr ||
            std::fwrite(bytes.data(), 1, bytes.size(), target) != bytes.size() ||
            std::fclose(target) != 0) {
            std::fprintf(stderr, "scramble: cannot write %s\n", out.c_str());
            return 1;
        }
    }
    return 0;
}
