// A long random session against a plain model of what the map should hold. Every operation goes
// through the program's own edit paths; after each one the tiles are compared with the model, and
// every step kept on the undo history must bring back, byte for byte, the map text it replaced.
//
// GV_SOAK_SEED and GV_SOAK_STEPS make longer or different runs; without them the run is fixed.
#include "DocFixture.h"

#include "document/EditOps.h"
#include "document/Flags.h"
#include "document/MovementPath.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "support/Matrix3.h"
#include "support/XmlDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace doctest;

namespace {

constexpr int kMaxTiles = 120;

unsigned long EnvNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoul(text, nullptr, 10) : fallback;
}

// What the model expects of one tile. Positions are box centres; a tile whose position the model
// cannot predict (after a scale or a paste) takes it from the map once, right after that operation.
struct Expected {
    int definition = 0; // -1 for a text tile
    std::uint32_t layer = 0;
    double centreX = 0, centreY = 0;
    double width = 0, height = 0;
    int turns = 0;
    bool flipped = false;
    bool tinted = false;
    int red = 0, green = 0, blue = 0;
    std::u16string text;
    bool flag0 = false;
    int pathLength = 1;
    bool scaled = false;
};

using Model = std::vector<Expected>;

class SoakTest : public ::testing::Test, public DocumentTest {
protected:
    SoakTest()
        : history(doc), edits(doc, &host), random(static_cast<unsigned>(EnvNumber("GV_SOAK_SEED", 1913))) {}

    int Pick(int count) { return count <= 0 ? 0 : std::uniform_int_distribution<int>(0, count - 1)(random); }
    bool Chance(int percent) { return Pick(100) < percent; }

    static int Turns(const TileRef& tile) {
        const double quarter = std::atan2(tile.Transform().m12(), tile.Transform().m11()) / (M_PI / 2);
        return ((static_cast<int>(std::lround(quarter)) % 4) + 4) % 4;
    }

    Expected Observe(const TileRef& tile) const {
        Expected e;
        e.definition = tile.Kind() == TileKinds::kText ? -1 : static_cast<int>(tile.DefinitionIndex());
        e.layer = static_cast<std::uint32_t>(tile.Sort());
        e.centreX = tile.Bounds().Centre().X();
        e.centreY = tile.Bounds().Centre().Y();
        e.width = tile.Bounds().Width();
        e.height = tile.Bounds().Height();
        e.turns = Turns(tile);
        e.flipped = tile.IsFlipped();
        e.tinted = tile.IsTinted();
        e.red = tile.TintColor().r;
        e.green = tile.TintColor().g;
        e.blue = tile.TintColor().b;
        if (e.definition < 0)
            e.text = std::u16string(static_cast<const TextTile&>(tile).Text().c_str());
        e.flag0 = e.definition == kChest && tile.LocalFlag(0);
        e.pathLength = tile.PathLength();
        return e;
    }

    // The model's rule for where a new tile goes: after every tile of its layer or below.
    static size_t InsertAt(Model& model, const Expected& e) {
        size_t at = model.size();
        if (!model.empty() && model.back().layer > e.layer) {
            at = 0;
            while (at < model.size() && model[at].layer <= e.layer)
                ++at;
        }
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), e);
        return at;
    }

    void CheckModel(const char* operation) {
        ASSERT_EQ(doc.TileCount(), static_cast<int>(model.size())) << operation << " at step " << step;
        for (size_t i = 0; i < model.size(); ++i) {
            const TileRef* tile = doc.TileAt(static_cast<int>(i));
            ASSERT_NE(tile, nullptr) << operation << " at step " << step;
            const Expected seen = Observe(*tile);
            const Expected& want = model[i];
            const std::string where =
                std::string(operation) + " at step " + std::to_string(step) + ", tile " + std::to_string(i);
            ASSERT_EQ(seen.definition, want.definition) << where;
            ASSERT_NEAR(seen.centreX, want.centreX, 0.51) << where;
            ASSERT_NEAR(seen.centreY, want.centreY, 0.51) << where;
            ASSERT_EQ(seen.tinted, want.tinted) << where;
            if (want.tinted) {
                ASSERT_EQ(seen.red, want.red) << where;
                ASSERT_EQ(seen.green, want.green) << where;
                ASSERT_EQ(seen.blue, want.blue) << where;
            }
            ASSERT_EQ(seen.text, want.text) << where;
            ASSERT_EQ(seen.flag0, want.flag0) << where;
            ASSERT_EQ(seen.pathLength, want.pathLength) << where;
            ASSERT_EQ(seen.flipped, want.flipped) << where;
            if (want.definition >= 0 && want.definition != kHero) {
                ASSERT_NEAR(seen.width, want.width, 0.51) << where;
                ASSERT_NEAR(seen.height, want.height, 0.51) << where;
                ASSERT_EQ(seen.turns, want.turns) << where;
            }
        }
        CheckKeptTexts(operation);
    }

    // The texts the tiles keep between edits are what writing the map afresh gives, whatever changed
    // them, and the placed counts follow every tile that came or went. Comparing the texts writes
    // every tile's, so it is done now and then: in between, steps hold texts not written yet, which
    // must be written before their tiles change.
    void CheckKeptTexts(const char* operation) {
        if (step % 16 == 0) {
            WString kept;
            doc.ToText(kept);
            ASSERT_EQ(kept.ToUtf8(), Text().ToUtf8()) << operation << " at step " << step;
        }
        for (int definition : {kFloor, kDoor, kHero, kChest}) {
            const auto placed = std::count_if(model.begin(), model.end(), [definition](const Expected& e) {
                return e.definition == definition;
            });
            ASSERT_EQ(doc.CountPlaced(definition), placed) << operation << " at step " << step;
        }
    }

    // Written through the XML tree, so that keeping copies does not write the tiles' own texts: those
    // are left to the undo steps, which write them only when a tile changes or goes.
    WString Text() const {
        XmlDocument tree;
        doc.WriteXml(tree, true);
        WString text;
        tree.ToText(text);
        return text;
    }

    // Selects the given model indices on the map.
    void Select(const std::vector<size_t>& indices) {
        doc.DeselectAll();
        for (size_t i : indices)
            doc.TileAt(static_cast<int>(i))->SetSelected(true);
    }

    // Up to `most` random tiles for which keep(model entry) holds.
    std::vector<size_t> Choose(int most, bool (*keep)(const Expected&)) {
        std::vector<size_t> chosen;
        const int wanted = Pick(most) + 1;
        for (int tries = 0; tries < 3 * wanted && static_cast<int>(chosen.size()) < wanted && !model.empty();
             ++tries) {
            const size_t i = static_cast<size_t>(Pick(static_cast<int>(model.size())));
            if (keep(model[i]) && std::find(chosen.begin(), chosen.end(), i) == chosen.end())
                chosen.push_back(i);
        }
        std::sort(chosen.begin(), chosen.end());
        return chosen;
    }
    static bool Any(const Expected&) { return true; }
    static bool Placed(const Expected& e) { return e.definition >= 0; }
    static bool Movable(const Expected& e) { return e.definition >= 0 && !e.scaled; }
    static bool Square(const Expected& e) { return Movable(e) && e.definition != kHero; }
    static bool IsText(const Expected& e) { return e.definition < 0; }
    static bool Chest(const Expected& e) { return e.definition == kChest; }

    // Records the outcome of one operation: a step keeps what the map was, for undo to bring back.
    void Finish(bool step, const Model& before, const WString& textBefore, const char* operation) {
        trace += std::string(" ") + operation + (step ? "+" : "");
        if (step) {
            undoModels.push_back(before);
            undoTexts.push_back(textBefore);
            redoModels.clear();
            redoTexts.clear();
        }
        CheckModel(operation);
    }

    // Some of these change nothing (no room left for a door, nothing to paste): then no step is made.
    bool Add() {
        static constexpr int kDefinitions[] = {kFloor, kFloor, kChest, kHero, kDoor};
        const int definition = kDefinitions[Pick(5)];
        int doors = 0;
        for (const Expected& e : model)
            doors += e.definition == kDoor;
        history.BeginEdit();
        TileRef* tile = doc.AddTile(definition);
        EXPECT_EQ(tile == nullptr, definition == kDoor && doors >= 2) << "the door limit, step " << step;
        if (tile != nullptr) {
            tile->SetTransform(Matrix3::Translation(64.0 * Pick(12), 64.0 * Pick(12)));
            tile->UpdateBounds();
        }
        const bool made = history.CommitEdit();
        EXPECT_EQ(made, tile != nullptr) << "add at step " << step;
        if (tile != nullptr)
            InsertAt(model, Observe(*tile));
        return made;
    }

    void AddText() {
        auto tile = std::make_unique<TextTile>(doc.Context());
        tile->SetText(WString(Words().c_str()));
        tile->SetTransform(Matrix3::Translation(64.0 * Pick(12), 64.0 * Pick(12)));
        tile->UpdateBounds();
        history.BeginEdit();
        const Expected e = Observe(*tile);
        doc.InsertTile(std::move(tile));
        state.changed = true;
        ASSERT_TRUE(history.CommitEdit());
        InsertAt(model, e);
    }

    std::u16string Words() {
        static const char16_t* const kWords[] = {u"Gate", u"Crypt & <vault>", u"\"Hall\"", u"Ötztal",
                                                 u"  spaced  "};
        return kWords[Pick(5)];
    }

    bool Move() {
        const std::vector<size_t> chosen = Choose(5, Movable);
        if (chosen.empty())
            return false;
        const double dx = 64.0 * (Pick(5) - 2);
        const double dy = dx != 0 && Chance(50) ? 0.0 : 64.0 * (Pick(2) * 2 - 1) * (Pick(2) + 1);
        history.BeginEdit();
        Select(chosen);
        const bool recordPath = Chance(20);
        if (recordPath)
            MovementPath::RecordPathStep(doc);
        edits.TransformSelected(Matrix3::Translation(dx, dy));
        edits.SnapSelection();
        const bool made = history.CommitEdit();
        EXPECT_TRUE(made) << "move at step " << step;
        for (size_t i : chosen) {
            model[i].centreX += dx;
            model[i].centreY += dy;
            if (recordPath)
                ++model[i].pathLength;
        }
        return made;
    }

    bool Rotate() {
        const std::vector<size_t> chosen = Choose(1, Square);
        if (chosen.empty())
            return false;
        history.BeginEdit();
        Select(chosen);
        edits.RotateSelected90();
        edits.SnapSelection();
        const bool made = history.CommitEdit();
        EXPECT_TRUE(made) << "rotate at step " << step;
        model[chosen[0]].turns = (model[chosen[0]].turns + 1) % 4;
        return made;
    }

    bool Flip() {
        const std::vector<size_t> chosen = Choose(4, Placed);
        if (chosen.empty())
            return false;
        Select(chosen);
        const bool made = edits.FlipSelected();
        for (size_t i : chosen) {
            const TileRef* tile = doc.TileAt(static_cast<int>(i));
            if (tile->CanFlip()) {
                model[i].flipped = !model[i].flipped;
                // The flip picture has a size of its own, laid from the same corner.
                model[i].centreX = tile->Bounds().Centre().X();
                model[i].centreY = tile->Bounds().Centre().Y();
            }
        }
        return made;
    }

    bool Scale() {
        const std::vector<size_t> chosen = Choose(1, Square);
        if (chosen.empty())
            return false;
        Select(chosen);
        const bool made = edits.ScaleSelected(2.0, 2.0);
        Expected& e = model[chosen[0]];
        e.width *= 2;
        e.height *= 2;
        e.scaled = true; // where it lands is the snap's business: the model takes it from the map
        const TileRef* tile = doc.TileAt(static_cast<int>(chosen[0]));
        e.centreX = tile->Bounds().Centre().X();
        e.centreY = tile->Bounds().Centre().Y();
        return made;
    }

    bool Colour() {
        const std::vector<size_t> chosen = Choose(6, Any);
        if (chosen.empty())
            return false;
        Select(chosen);
        const int red = Pick(256), green = Pick(256), blue = Pick(256);
        const bool tinted = Chance(80);
        const bool made = edits.SetSelectedColor(tinted, red / 255.0, green / 255.0, blue / 255.0, 0.25);
        for (size_t i : chosen) {
            model[i].tinted = tinted;
            if (tinted) {
                model[i].red = red;
                model[i].green = green;
                model[i].blue = blue;
            }
        }
        return made;
    }

    void Remove(const std::vector<size_t>& chosen) {
        for (size_t k = chosen.size(); k-- > 0;)
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(chosen[k]));
    }

    bool Delete() {
        const std::vector<size_t> chosen = Choose(8, Any);
        if (chosen.empty())
            return false;
        Select(chosen);
        EXPECT_TRUE(edits.DeleteSelected()) << "delete at step " << step;
        Remove(chosen);
        return true;
    }

    bool Cut() {
        const std::vector<size_t> chosen = Choose(4, Any);
        if (chosen.empty())
            return false;
        Select(chosen);
        EXPECT_TRUE(edits.CutSelected()) << "cut at step " << step;
        clipboard.clear();
        for (size_t i : chosen) {
            Expected copy = model[i];
            copy.pathLength = 1; // copies carry no path, and their definitions' default flags
            copy.flag0 = copy.definition == kChest;
            clipboard.push_back(copy);
        }
        Remove(chosen);
        return true;
    }

    bool Paste() {
        if (clipboard.empty())
            return false;
        int doors = 0;
        for (const Expected& e : model)
            doors += e.definition == kDoor;
        const bool made = edits.PasteAt(Vec2(64.0f * Pick(12) + 32, 64.0f * Pick(12) + 32));
        std::vector<size_t> pasted;
        for (const Expected& copy : clipboard) {
            if (copy.definition == kDoor && doors >= 2)
                continue;
            doors += copy.definition == kDoor;
            const size_t at = InsertAt(model, copy);
            for (size_t& earlier : pasted)
                earlier += earlier >= at;
            pasted.push_back(at);
        }
        EXPECT_EQ(made, !pasted.empty()) << "paste at step " << step;
        EXPECT_EQ(doc.TileCount(), static_cast<int>(model.size())) << "paste at step " << step;
        if (doc.TileCount() != static_cast<int>(model.size()))
            return made;
        for (size_t i : pasted) {
            const TileRef* tile = doc.TileAt(static_cast<int>(i));
            EXPECT_TRUE(tile->IsSelected()) << "pasted tile " << i << " at step " << step;
            model[i].centreX = tile->Bounds().Centre().X(); // the group is snapped where it lands
            model[i].centreY = tile->Bounds().Centre().Y();
        }
        return made;
    }

    bool EditText() {
        const std::vector<size_t> chosen = Choose(1, IsText);
        if (chosen.empty())
            return false;
        auto& tile = static_cast<TextTile&>(*doc.TileAt(static_cast<int>(chosen[0])));
        const std::u16string words = Words() + u" " + Words();
        history.BeginEdit();
        tile.SetText(WString(words.c_str()));
        const bool made = history.CommitEdit();
        EXPECT_EQ(made, words != model[chosen[0]].text) << "text edit at step " << step;
        model[chosen[0]].text = words;
        // A text's box follows its letters from the corner it is anchored at.
        model[chosen[0]].centreX = tile.Bounds().Centre().X();
        model[chosen[0]].centreY = tile.Bounds().Centre().Y();
        return made;
    }

    bool ToggleFlag() {
        const std::vector<size_t> chosen = Choose(1, Chest);
        if (chosen.empty())
            return false;
        const bool made = Flags::ToggleLocalFlag(doc, doc.TileAt(static_cast<int>(chosen[0])), 0);
        EXPECT_TRUE(made) << "flag at step " << step;
        model[chosen[0]].flag0 = !model[chosen[0]].flag0;
        return made;
    }

    // Changes that make no step: the next undo still brings back the map as its step kept it.
    void ChangeWithoutStep() {
        if (Chance(50)) {
            MovementPath::ClearAllPaths(doc);
            for (Expected& e : model)
                e.pathLength = 1;
            return;
        }
        const std::vector<size_t> chosen = Choose(3, Placed);
        for (size_t i : chosen)
            doc.TileAt(static_cast<int>(i))->SetStrength(0.5 + Pick(50) / 100.0);
    }

    void Undo() {
        trace += " undo";
        if (undoModels.empty()) {
            EXPECT_FALSE(history.Undo()) << "undo with nothing kept at step " << step;
            return;
        }
        const WString now = Text();
        ASSERT_TRUE(history.Undo()) << "step " << step;
        ASSERT_EQ(Text().ToUtf8(), undoTexts.back().ToUtf8())
            << "undo at step " << step << " did not restore the map's text";
        redoModels.push_back(model);
        redoTexts.push_back(now);
        model = undoModels.back();
        undoModels.pop_back();
        undoTexts.pop_back();
    }

    void Redo() {
        trace += " redo";
        if (redoModels.empty()) {
            EXPECT_FALSE(history.Redo()) << "redo with nothing kept at step " << step;
            return;
        }
        const WString now = Text();
        ASSERT_TRUE(history.Redo()) << "step " << step;
        ASSERT_EQ(Text(), redoTexts.back()) << "redo at step " << step << " did not restore the map's text";
        undoModels.push_back(model);
        undoTexts.push_back(now);
        model = redoModels.back();
        redoModels.pop_back();
        redoTexts.pop_back();
    }

    // Undoes k steps and redoes them again, each against the copies kept when the steps were made.
    void UndoAndRedoSeveral() {
        const int k = Pick(static_cast<int>(std::min<size_t>(undoModels.size(), 25)) + 1);
        for (int i = 0; i < k; ++i) {
            Undo();
            CheckModel("undo of several");
        }
        for (int i = 0; i < k; ++i) {
            Redo();
            CheckModel("redo of several");
        }
    }

    void SaveAndReopen() {
        const WString before = Text();
        const WString path = dir.WJoin("soak.gv");
        ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.FileError().ToUtf8();
        ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.FileError().ToUtf8();
        ASSERT_EQ(Text(), before) << "the reopened map differs, step " << step;
        EXPECT_FALSE(history.CanUndo()); // opening starts a fresh history
        undoModels.clear();
        undoTexts.clear();
        redoModels.clear();
        redoTexts.clear();
    }

    // Every step the history keeps reads back as the text it replaced, not only the newest.
    void CheckEveryKeptStep() {
        ASSERT_EQ(doc.UndoHistory().size(), undoTexts.size()) << "steps kept at step " << step;
        for (size_t i = 0; i < undoTexts.size(); ++i)
            ASSERT_EQ(history.StepText(i), undoTexts[i]) << "kept step " << i << " at step " << step;
    }

    void RunOne() {
        const Model before = model;
        const WString textBefore = Text();
        const int roll = Pick(100);
        const bool full = static_cast<int>(model.size()) >= kMaxTiles;
        if (roll < 14 && !full) {
            Finish(Add(), before, textBefore, "add");
        } else if (roll < 18 && !full) {
            AddText();
            Finish(true, before, textBefore, "add text");
        } else if (roll < 32) {
            Finish(Move(), before, textBefore, "move");
        } else if (roll < 38) {
            Finish(Rotate(), before, textBefore, "rotate");
        } else if (roll < 42) {
            Finish(Flip(), before, textBefore, "flip");
        } else if (roll < 45) {
            Finish(Scale(), before, textBefore, "scale");
        } else if (roll < 51) {
            Finish(Colour(), before, textBefore, "colour");
        } else if (roll < 57) {
            Finish(Delete(), before, textBefore, "delete");
        } else if (roll < 61) {
            Finish(Cut(), before, textBefore, "cut");
        } else if (roll < 66) {
            Finish(Paste(), before, textBefore, "paste");
        } else if (roll < 71) {
            Finish(EditText(), before, textBefore, "text edit");
        } else if (roll < 74) {
            Finish(ToggleFlag(), before, textBefore, "flag");
        } else if (roll < 76) {
            ChangeWithoutStep();
            Finish(false, before, textBefore, "change without a step");
        } else if (roll < 86) {
            Undo();
            CheckModel("undo");
        } else if (roll < 95) {
            Redo();
            CheckModel("redo");
        } else if (roll < 99) {
            UndoAndRedoSeveral();
        } else {
            SaveAndReopen();
            CheckModel("save and reopen");
        }
    }

    UndoHistory history;
    EditOps edits;
    std::mt19937 random;
    Model model;
    Model clipboard;
    std::vector<Model> undoModels, redoModels;
    std::vector<WString> undoTexts, redoTexts;
    unsigned long step = 0;
    std::string trace; // the operations so far, for the message of a failure
};

} // namespace

TEST_F(SoakTest, RandomSessionMatchesTheModelAndEveryUndoIsExact) {
    const unsigned long steps = EnvNumber("GV_SOAK_STEPS", 20000);
    for (step = 0; step < steps; ++step) {
        RunOne();
        if (step % 8 == 0)
            CheckEveryKeptStep();
        if (HasFatalFailure() || HasFailure()) {
            ADD_FAILURE() << "last operations:" << trace.substr(trace.size() > 400 ? trace.size() - 400 : 0);
            return;
        }
    }
}
