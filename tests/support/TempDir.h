#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace ondrix::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir()
    {
        std::random_device device;
        const auto base = std::filesystem::temp_directory_path();
        do {
            m_path = base / ("ondrix-test-" + std::to_string(device()));
        } while (std::filesystem::exists(m_path));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const
    {
        const auto file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadFileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace ondrix::test
