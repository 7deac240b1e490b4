#pragma once
// The string type of the skin library: UTF-8 inside, cheap to build from the standard types,
// with printf-style formatting and conversions to and from QString for the widget side.

#include <cstddef>
#include <string>
#include <string_view>

class QString;

class CDuiString {
public:
    CDuiString() = default;
    CDuiString(const char* text);             // NOLINT: implicit like the string literals it stands for
    CDuiString(const char* text, int length); // length < 0 means up to the terminating zero
    CDuiString(std::string text);             // NOLINT
    CDuiString(std::string_view text);        // NOLINT
    CDuiString(char ch);                      // NOLINT

    const char* GetData() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const std::string& str() const { return m_str; }
    std::string_view view() const { return m_str; }

    // Byte access; out-of-range indices read as 0.
    char GetAt(int index) const;
    char operator[](int index) const { return GetAt(index); }

    void Assign(const char* text, int length = -1);
    void Append(const char* text);

    // Replaces the content with the formatted text; returns its length (0 on a format error).
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    static CDuiString Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // strcmp-style results (<0, 0, >0).
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const; // ASCII letters only

    // Byte positions; -1 when not found.
    int Find(char ch, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int ReverseFind(char ch) const;
    // Returns the number of replacements.
    int Replace(const char* from, const char* to);

    CDuiString Left(int length) const;
    CDuiString Mid(int pos, int length = -1) const;
    CDuiString Right(int length) const;
    void MakeUpper(); // ASCII letters only
    void MakeLower();

    CDuiString& operator=(const char* text);
    CDuiString& operator+=(const CDuiString& other);
    CDuiString& operator+=(const char* text);
    CDuiString& operator+=(char ch);

    bool operator==(const CDuiString& other) const { return m_str == other.m_str; }
    bool operator==(const char* text) const;
    bool operator<(const CDuiString& other) const { return m_str < other.m_str; }

    QString ToQString() const;
    static CDuiString FromQString(const QString& text);

private:
    std::string m_str;
};

CDuiString operator+(const CDuiString& a, const CDuiString& b);
CDuiString operator+(const CDuiString& a, const char* b);
CDuiString operator+(const char* a, const CDuiString& b);

QString ToQString(const CDuiString& text);
CDuiString FromQString(const QString& text);
