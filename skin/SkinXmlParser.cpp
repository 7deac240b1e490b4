#include "SkinXmlParser.h"

#include <QFile>
#include <QXmlStreamReader>

namespace skin {

const std::string* SkinNode::Find(const std::string& name) const
{
    for (const Attribute& a : attributes)
        if (a.first == name)
            return &a.second;
    return nullptr;
}

SkinDocument ParseSkinXml(const std::string& xml)
{
    SkinDocument doc;
    QXmlStreamReader reader(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size())));
    // Element path from the root to the element being read.
    std::vector<SkinNode*> stack;
    bool haveRoot = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (static_cast<int>(stack.size()) >= kMaxSkinDepth) {
                doc.error = "elements nested too deeply";
                return doc;
            }
            SkinNode* node = nullptr;
            if (stack.empty()) {
                if (haveRoot) {
                    doc.error = "more than one root element";
                    return doc;
                }
                haveRoot = true;
                node = &doc.window;
            } else {
                stack.back()->children.emplace_back();
                node = &stack.back()->children.back();
            }
            node->tag = reader.name().toString().toStdString();
            const QXmlStreamAttributes attributes = reader.attributes();
            node->attributes.reserve(static_cast<size_t>(attributes.size()));
            for (const QXmlStreamAttribute& a : attributes)
                node->attributes.emplace_back(a.qualifiedName().toString().toStdString(),
                                              a.value().toString().toStdString());
            stack.push_back(node);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!stack.empty())
                stack.pop_back();
        }
    }
    if (reader.hasError()) {
        doc.error = "line " + std::to_string(reader.lineNumber()) + ", column " +
                    std::to_string(reader.columnNumber()) + ": " + reader.errorString().toStdString();
        return doc;
    }
    if (!haveRoot) {
        doc.error = "no root element";
        return doc;
    }
    doc.ok = true;
    return doc;
}

SkinDocument ParseSkinFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        SkinDocument doc;
        doc.error = "cannot open: " + file.errorString().toStdString();
        return doc;
    }
    const QByteArray data = file.readAll();
    return ParseSkinXml(std::string(data.constData(), static_cast<size_t>(data.size())));
}

} // namespace skin
