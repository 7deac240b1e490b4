#include "SkinScan.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>

std::string SkinElement::Attribute(const std::string& name) const
{
    const auto found = attributes.find(name);
    return found == attributes.end() ? std::string() : found->second;
}

std::vector<std::string> SkinScan::ControlNames() const
{
    std::vector<std::string> names;
    for (const SkinElement& element : elements) {
        const std::string name = element.Attribute("name");
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    return names;
}

SkinScan ScanSkinFile(const std::string& path)
{
    SkinScan scan;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return scan;
    }
    scan.opened = true;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            SkinElement element;
            element.tag = xml.name().toString().toStdString();
            element.line = static_cast<int>(xml.lineNumber());
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                element.attributes[attribute.name().toString().toStdString()] = attribute.value().toString().toStdString();
            }
            scan.elements.push_back(std::move(element));
        }
    }
    scan.wellFormed = !xml.hasError();
    if (xml.hasError()) {
        scan.error = "line " + std::to_string(xml.lineNumber()) + ": " + xml.errorString().toStdString();
    }
    return scan;
}

AttributeListScan ScanAttributeList(std::string_view text)
{
    AttributeListScan scan;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    };
    skipBlanks();
    while (i < text.size()) {
        const std::size_t nameStart = i;
        while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) {
            ++i;
        }
        const std::string name(text.substr(nameStart, i - nameStart));
        if (name.empty() || i + 1 >= text.size() || text[i] != '=' || (text[i + 1] != '"' && text[i + 1] != '\'')) {
            scan.complete = false;
            return scan;
        }
        const char quote = text[i + 1];
        const std::size_t close = text.find(quote, i + 2);
        if (close == std::string_view::npos) {
            scan.complete = false;
            return scan;
        }
        scan.attributes.emplace_back(name, std::string(text.substr(i + 2, close - i - 2)));
        i = close + 1;
        if (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
            scan.complete = false;
            return scan;
        }
        skipBlanks();
    }
    return scan;
}

std::vector<std::string> PicturesNamedBy(const std::string& attribute, const std::string& value)
{
    std::string lower = attribute;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() < 5 || lower.compare(lower.size() - 5, 5, "image") != 0 || value.empty()) {
        return {};
    }
    std::string path = value;
    const std::size_t file = value.find("file='");
    if (file != std::string::npos) {
        const std::size_t close = value.find('\'', file + 6);
        path = value.substr(file + 6, close == std::string::npos ? std::string::npos : close - file - 6);
    } else if (value.find('=') != std::string::npos) {
        return {}; // a description without a file part names no picture
    }
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.empty() ? std::vector<std::string>{} : std::vector<std::string>{path};
}

namespace {

std::uint32_t Le(const std::string& data, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int k = bytes - 1; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(data[at + static_cast<std::size_t>(k)]);
    }
    return value;
}

} // namespace

std::vector<std::string> ZipEntryNames(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 22) {
        return {};
    }
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    std::size_t end = std::string::npos;
    for (std::size_t at = data.size() - 22 + 1; at-- > 0 && data.size() - at <= 22 + 0xFFFF;) {
        if (Le(data, at, 4) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos) {
        return {};
    }
    const std::uint32_t count = Le(data, end + 10, 2);
    std::size_t at = Le(data, end + 16, 4);
    std::vector<std::string> names;
    for (std::uint32_t n = 0; n < count; ++n) {
        if (at + 46 > data.size() || Le(data, at, 4) != 0x02014b50) {
            return {};
        }
        const std::size_t nameLength = Le(data, at + 28, 2);
        const std::size_t extra = Le(data, at + 30, 2);
        const std::size_t comment = Le(data, at + 32, 2);
        if (at + 46 + nameLength > data.size()) {
            return {};
        }
        names.push_back(data.substr(at + 46, nameLength));
        at += 46 + nameLength + extra + comment;
    }
    return names;
}
