#include "app/EditCommands.h"

#include "app/CGridvellumView.h"
#include "app/CommandRegistry.h"
#include "app/CommandTable.h"
#include "document/CGridvellumDoc.h"
#include "document/EditOps.h"
#include "document/MovementPath.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"

#include <cmath>

namespace {

using C = CommandTable;

// Everything the registrations share, captured by reference in each rule.
struct Edit {
    CGridvellumDoc& doc;
    CGridvellumView& view;
    CGridvellumApp::Prompts& prompts;

    // A drag holds the one edit bracket: nothing else may open one inside it.
    bool Idle() const { return !view.Tools().AnyDrag(); }
    bool HasSelection() const { return Idle() && doc.SelectedCount() > 0; }
    EditOps& Ops() const { return view.Edits(); }
    // After a command that deleted or replaced tiles the tools must not touch the old ones.
    void AfterTilesReplaced() const {
        view.ForgetTiles();
        view.Repaint();
    }
};

void RegisterHistory(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kUndo, {.run =
                                     [e] {
                                         e.view.ForgetTiles();
                                         UndoHistory(e.doc).Undo();
                                         e.AfterTilesReplaced();
                                     },
                                 .enabled = [e] { return e.Idle() && UndoHistory(e.doc).CanUndo(); }});
    commands.Register(C::kRedo, {.run =
                                     [e] {
                                         e.view.ForgetTiles();
                                         UndoHistory(e.doc).Redo();
                                         e.AfterTilesReplaced();
                                     },
                                 .enabled = [e] { return e.Idle() && UndoHistory(e.doc).CanRedo(); }});
}

void RegisterSelection(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kSelectAll, {.run =
                                          [e] {
                                              e.doc.SelectAll();
                                              e.view.Repaint();
                                          },
                                      .enabled = [e] { return e.Idle() && e.doc.TileCount() > 0; }});
    commands.Register(C::kDeselectAll, {.run =
                                            [e] {
                                                e.doc.DeselectAll();
                                                e.view.Repaint();
                                            },
                                        .enabled = [e] { return e.HasSelection(); }});
}

void RegisterClipboard(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kCut, {.run =
                                    [e] {
                                        e.Ops().CutSelected();
                                        e.AfterTilesReplaced();
                                    },
                                .enabled = [e] { return e.HasSelection(); }});
    commands.Register(C::kCopy,
                      {.run = [e] { e.Ops().CopySelected(); }, .enabled = [e] { return e.HasSelection(); }});
    commands.Register(C::kPaste, {.run =
                                      [e] {
                                          e.Ops().PasteAt(e.view.CentreWorldPoint());
                                          e.view.Repaint();
                                      },
                                  .enabled = [e] { return e.Idle() && e.Ops().ClipboardCount() > 0; }});
    commands.Register(C::kDelete, {.run =
                                       [e] {
                                           e.Ops().DeleteSelected();
                                           e.AfterTilesReplaced();
                                       },
                                   .enabled = [e] { return e.HasSelection(); }});
}

void RegisterPlacement(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kFlipTile, {.run =
                                         [e] {
                                             e.Ops().FlipSelected();
                                             e.view.Repaint();
                                         },
                                     .enabled = [e] { return e.Idle() && e.doc.AnySelectedFlippable(); }});
    commands.Register(C::kScaleTile, {.run =
                                          [e] {
                                              TileScaleValues values = EditCommands::SelectedScale(e.doc);
                                              if (e.prompts.AskTileScale(values)) {
                                                  e.Ops().ScaleSelected(values.x.AsReal(), values.y.AsReal());
                                                  e.view.Repaint();
                                              }
                                          },
                                      .enabled = [e] { return e.HasSelection(); }});
    for (const bool free : {false, true}) {
        commands.Register(free ? C::kSetTileFree : C::kSetTileSnap,
                          {.run =
                               [e, free] {
                                   e.Ops().SetSelectedFree(free);
                                   e.view.Repaint();
                               },
                           .enabled = [e] { return e.HasSelection(); }});
    }
}

void RegisterTint(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kSetTileColor,
                      {.run =
                           [e] {
                               const CGridvellumDoc::SelectedColor start = e.doc.GetSelectedColor();
                               TileColorValues values{start.red, start.green, start.blue, start.strength};
                               if (e.prompts.AskTileColor(values)) {
                                   e.Ops().SetSelectedColor(true, values.red, values.green, values.blue,
                                                            values.alpha);
                                   e.view.Repaint();
                               }
                           },
                       .enabled = [e] { return e.HasSelection(); }});
    commands.Register(C::kClearTileColor, {.run =
                                               [e] {
                                                   e.Ops().SetSelectedColor(false, 0.0, 0.0, 0.0, 0.0);
                                                   e.view.Repaint();
                                               },
                                           .enabled = [e] { return e.HasSelection(); }});
}

void RegisterPaths(CommandRegistry& commands, const Edit& e) {
    commands.Register(C::kClearSelectedPaths, {.run =
                                                   [e] {
                                                       MovementPath::ClearSelectedPaths(e.doc);
                                                       e.view.Repaint();
                                                   },
                                               .enabled = [e] { return e.HasSelection(); }});
    commands.Register(C::kClearAllPaths, {.run =
                                              [e] {
                                                  MovementPath::ClearAllPaths(e.doc);
                                                  e.view.Repaint();
                                              },
                                          .enabled = [e] { return e.Idle(); }});
}

} // namespace

void EditCommands::Register(CommandRegistry& commands, CGridvellumDoc& doc, CGridvellumView& view,
                            CGridvellumApp::Prompts& prompts) {
    const Edit e{doc, view, prompts};
    RegisterHistory(commands, e);
    RegisterSelection(commands, e);
    RegisterClipboard(commands, e);
    RegisterPlacement(commands, e);
    RegisterTint(commands, e);
    RegisterPaths(commands, e);
}

TileScaleValues EditCommands::SelectedScale(const CGridvellumDoc& doc) {
    for (int i = 0; i < doc.TileCount(); ++i) {
        const TileRef* tile = doc.TileAt(i);
        if (tile != nullptr && tile->IsSelected()) {
            const Matrix3& m = tile->Transform();
            return TileScaleValues{WString::FromReal(std::hypot(m.m11(), m.m12())),
                                   WString::FromReal(std::hypot(m.m21(), m.m22()))};
        }
    }
    return TileScaleValues{};
}
