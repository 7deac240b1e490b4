#pragma once
// Where the build laid out the install folder.

#include <string>

inline std::string BinPath(const std::string& relative)
{
    return std::string(ORVELLE_BIN_DIR) + "/" + relative;
}

inline std::string ImgResPath(const std::string& relative)
{
    return BinPath("ImgRes/" + relative);
}
