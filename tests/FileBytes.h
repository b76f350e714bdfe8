// Whole files as bytes, for the suites that write and read documents.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& strData)
{
    std::ofstream(path, std::ios::binary).write(strData.data(), (std::streamsize)strData.size());
}
