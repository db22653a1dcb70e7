#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A minimal XML element tree that writes exactly the layout the editor itself saves: UTF-8 with a
// byte-order mark, the UTF-8 declaration, three-space indents, CR LF line ends and no final line end.
// Saving a generated file from the editor therefore reproduces it byte for byte.
class SampleXml {
public:
    explicit SampleXml(std::string name) : name_(std::move(name)) {}

    SampleXml& Attribute(const std::string& name, const std::string& value);
    SampleXml& Text(const std::string& text);
    SampleXml& AddChild(const std::string& name);

    std::string DocumentText() const; // declaration and root, LF line ends
    bool SaveFile(const std::string& path) const;

private:
    void WriteElement(std::string& out, int depth) const;
    static std::string Escaped(const std::string& text);

    std::string name_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    std::string text_;
    std::vector<std::unique_ptr<SampleXml>> children_;
};
