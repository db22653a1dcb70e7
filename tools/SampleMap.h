#pragma once

#include "tools/SampleMatrix.h"
#include "tools/SampleTileset.h"

#include <QImage>

#include <deque>
#include <string>
#include <vector>

// The bundled example map: a small dungeon that shows every kind of placed tile the editor knows.
class SampleMap {
public:
    struct Placed {
        std::string name;
        std::vector<SampleMatrix> path; // recorded steps, the current placement last
        bool tinted = false;
        int red = 0, green = 0, blue = 0;
        double strength = 0.25;
        bool flip = false;
        bool free = false;
        std::string localFlags;
    };
    struct Text {
        SampleMatrix matrix;
        bool tinted = false;
        int red = 0, green = 0, blue = 0;
        bool free = false;
        std::string text;
    };

    explicit SampleMap(const SampleTileset& tileset);

    // False when a placed tile names no tile of the set, or uses a feature its tile lacks.
    bool Build();
    bool Save(const std::string& path) const;
    // A rough picture of the map drawn here, to check the layout by eye.
    QImage Preview() const;

private:
    void Place(Placed tile);
    Placed& At(const std::string& name, int cellX, int cellY, int quarterTurns = 0);
    void AddText(const std::string& text, SampleMatrix matrix, bool free = false);
    std::vector<const Placed*> DocumentOrder() const;
    bool Check(const Placed& tile) const;

    const SampleTileset& tileset_;
    std::deque<Placed> tiles_; // a deque keeps references from At() valid
    std::vector<Text> texts_;
    std::string scenario_;
};
