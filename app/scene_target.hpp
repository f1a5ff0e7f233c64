// Offscreen framebuffers of the 3D view. With a report loaded the scene is
// drawn into a framebuffer of its own (a colour texture and 24-bit depth)
// and its colour is drawn onto the window; a second framebuffer of the same format
// keeps the layer of whole paths and calibration points, which is restored
// with its depth while it stays valid instead of being drawn again.
#pragma once

#include "platform/sdl_help.hpp"

class SceneTarget {
public:
    SceneTarget() = default;
    ~SceneTarget();
    SceneTarget(const SceneTarget&) = delete;
    SceneTarget& operator=(const SceneTarget&) = delete;

    // Makes both framebuffers `side` pixels square; false when framebuffer
    // objects are not available (the scene is then drawn on the window).
    bool prepare(int side);
    // Readies them for a first frame, one step per call so that each step
    // has a pass of its own: makes one, then the other, clears both once
    // (the driver gives them their memory now), draws a line and a point as
    // the layer does and the scene onto the window once (what a software
    // renderer compiles on first use). Only while
    // neither holds a picture that is still used; calls after the last step
    // do nothing.
    void warm(int side);
    void bind_scene() const;
    void bind_layer() const;
    // Copies the kept layer, colour and depth, into the scene framebuffer.
    void restore_layer() const;
    // Draws the scene's colour onto the window's 3D view, pixel for pixel,
    // and draws on the window again.
    void present() const;
    void release();

private:
    // Makes the first `count` framebuffers `side` pixels square, those not
    // made yet; false when framebuffer objects are not available.
    bool make(int side, int count);

    static constexpr int scene = 0, layer = 1;
    GLuint framebuffers_[2] = {0, 0};
    GLuint colors_[2] = {0, 0};
    GLuint depths_[2] = {0, 0};
    int side_ = 0;
    bool unavailable_ = false;
    int warm_steps_ = 0;  // the steps of warm done since made
};
