#pragma once

class Camera;
class CGridvellumDoc;
class EditOps;
class EditSession;
class FrameOverlays;
class ToolHost;

// What every tool works on: the document and its operations, the camera, the overlays the frame
// draws for the tools, the window and the one edit bracket. All owned elsewhere.
struct ToolContext {
    CGridvellumDoc& doc;
    EditOps& edits;
    Camera& camera;
    FrameOverlays& overlays;
    ToolHost& host;
    EditSession& session;
};
