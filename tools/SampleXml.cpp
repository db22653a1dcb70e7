#include "tools/SampleXml.h"

#include <cstdio>

SampleXml& SampleXml::Attribute(const std::string& name, const std::string& value) {
    attributes_.emplace_back(name, value);
    return *this;
}

SampleXml& SampleXml::Text(const std::string& text) {
    text_ = text;
    return *this;
}

SampleXml& SampleXml::AddChild(const std::string& name) {
    children_.push_back(std::make_unique<SampleXml>(name));
    return *children_.back();
}

std::string SampleXml::Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void SampleXml::WriteElement(std::string& out, int depth) const {
    out += "<" + name_;
    for (const auto& [name, value] : attributes_)
        out += " " + name + "=\"" + Escaped(value) + "\"";
    if (text_.empty() && children_.empty()) {
        out += "/>";
        return;
    }
    out += ">";
    out += Escaped(text_);
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (i > 0 || text_.empty())
            out.append(1, '\n').append(3 * (depth + 1), ' ');
        children_[i]->WriteElement(out, depth + 1);
    }
    if (!children_.empty())
        out.append(1, '\n').append(3 * depth, ' ');
    out += "</" + name_ + ">";
}

std::string SampleXml::DocumentText() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    WriteElement(out, 0);
    return out;
}

bool SampleXml::SaveFile(const std::string& path) const {
    const std::string text = DocumentText();
    std::string bytes = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            bytes += '\r';
        bytes += text[i];
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
