#pragma once
// The argument vector of a program to start: the program first, then its arguments, closed by a
// null pointer, as exec and posix_spawn take it. It owns the strings the pointers point into.

#include <string>
#include <vector>

namespace platform {

class ArgumentVector {
public:
    ArgumentVector(const std::string& program, const std::vector<std::string>& args) : m_words{program}
    {
        m_words.insert(m_words.end(), args.begin(), args.end());
        for (std::string& word : m_words)
            m_argv.push_back(word.data());
        m_argv.push_back(nullptr);
    }

    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    char* const* Get() const { return m_argv.data(); }

private:
    std::vector<std::string> m_words;
    std::vector<char*> m_argv;
};

} // namespace platform
