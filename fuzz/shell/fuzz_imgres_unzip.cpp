// The skin archive unpacker on arbitrary archive bytes: no crash, no leak, and nothing written
// outside the destination folder, whatever the entry names say.

#include "ImgResUnpacker.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Scratch {
    fs::path root;
    Scratch()
    {
        char pattern[] = "/tmp/orvelle-fuzz-unzip-XXXXXX";
        root = mkdtemp(pattern);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    const fs::path zip = scratch.root / "ImgRes.zip";
    const fs::path dest = scratch.root / "install" / "bin";
    {
        std::ofstream out(zip, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CImgResUnpacker::Unpack(zip.string(), dest.string());

    // Only the archive and the destination may exist under the scratch folder.
    for (const auto& e : fs::directory_iterator(scratch.root)) {
        if (e.path() != zip && e.path() != scratch.root / "install")
            std::abort();
    }
    for (const auto& e : fs::directory_iterator(scratch.root / "install")) {
        if (e.path() != dest)
            std::abort();
    }
    std::error_code ec;
    fs::remove_all(dest, ec);
    return 0;
}
