#include "tools/SampleTileset.h"

#include <cctype>
#include <cstdio>

SampleTileset::SampleTileset(std::string fileName, std::string imageFolder, ImageWriter& images)
    : fileName_(std::move(fileName)), imageFolder_(std::move(imageFolder)), images_(images),
      root_("TileSet") {}

void SampleTileset::AddTileType(int type, const std::string& label, bool shown, int defaultState) {
    SampleXml& element = root_.AddChild("TileType");
    element.Attribute("type", std::to_string(type)).Attribute("show", shown ? "true" : "false");
    if (defaultState != 0)
        element.Attribute("defaultstate", std::to_string(defaultState));
    element.Text(label);
}

void SampleTileset::AddGlobalFlag(int index, bool defaultState, const std::string& label) {
    root_.AddChild("GlobalFlag")
        .Attribute("index", std::to_string(index))
        .Attribute("defaultstate", defaultState ? "true" : "false")
        .Text(label);
}

std::string SampleTileset::ImagePath(const std::string& name, const char* suffix,
                                     ImageWriter::Format format) const {
    std::string file;
    for (char c : name)
        file += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_';
    return imageFolder_ + "/" + file + suffix + (format == ImageWriter::Format::Jpeg ? ".jpg" : ".png");
}

bool SampleTileset::AddTile(Tile tile) {
    for (const DrawEntry& entry : tile.entries) {
        if (entry.target != tile.name && !Find(entry.target)) {
            std::fprintf(stderr, "make_sample_data: %s draws %s before it is defined\n", tile.name.c_str(),
                         entry.target.c_str());
            return false;
        }
    }
    const std::string imageFile = ImagePath(tile.name, "", tile.format);
    if (!images_.Write(tile.image, imageFile, tile.format))
        return false;
    SampleXml& element = root_.AddChild("Tile");
    element.Attribute("name", tile.name).Attribute("type", std::to_string(tile.type));
    if (tile.sort >= 0)
        element.Attribute("sort", std::to_string(tile.sort));
    for (const auto& [name, value] : tile.extras)
        element.Attribute(name, value);
    if (tile.freePlacement)
        element.Attribute("freeplacement", "true");
    if (!tile.flipImage.isNull()) {
        const std::string flipFile = ImagePath(tile.name, "_flip", tile.format);
        if (!images_.Write(tile.flipImage, flipFile, tile.format))
            return false;
        element.Attribute("flipimage", flipFile);
    }
    element.Text(imageFile);
    for (const Flag& flag : tile.localFlags) {
        element.AddChild("LocalFlag")
            .Attribute("index", std::to_string(flag.index))
            .Attribute("defaultstate", flag.defaultState ? "true" : "false")
            .Text(flag.label);
    }
    for (const DrawEntry& entry : tile.entries) {
        const SampleTileset* owner = Find(entry.target) && tiles_.count(entry.target) == 0 ? base_ : this;
        SampleXml& child = element.AddChild(entry.post ? "PostDrawTile" : "PreDrawTile");
        child.Attribute("name", owner->Key(entry.target)).Attribute("type", std::to_string(entry.condition));
        if (entry.condition >= 1 && entry.condition <= 4)
            child.Attribute("index", std::to_string(entry.flag));
        child.Attribute("matrix", entry.matrix.Encoded());
    }
    order_.push_back(tile.name);
    tiles_.emplace(tile.name, std::move(tile));
    return true;
}

bool SampleTileset::Save() const {
    return root_.SaveFile(images_.OutputDir() + "/" + fileName_);
}

const SampleTileset::Tile* SampleTileset::Find(const std::string& name) const {
    const auto it = tiles_.find(name);
    if (it != tiles_.end())
        return &it->second;
    return base_ ? base_->Find(name) : nullptr;
}

std::string SampleTileset::Key(const std::string& name) const {
    if (tiles_.count(name) == 0 && base_)
        return base_->Key(name);
    return fileName_ + ":" + name;
}
