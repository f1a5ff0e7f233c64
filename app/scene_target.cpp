#define GL_GLEXT_PROTOTYPES 1
#include "app/scene_target.hpp"

SceneTarget::~SceneTarget()
{
    release();
}

void SceneTarget::release()
{
    if (framebuffers_[0] != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(2, framebuffers_);
        glDeleteRenderbuffers(2, colors_);
        glDeleteRenderbuffers(2, depths_);
    }
    for (int k = 0; k < 2; ++k)
        framebuffers_[k] = colors_[k] = depths_[k] = 0;
    side_ = 0;
    warmed_ = false;
}

void SceneTarget::warm(int side)
{
    if (!prepare(side) || warmed_)
        return;
    for (const GLuint framebuffer : framebuffers_) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    warmed_ = true;
}

bool SceneTarget::prepare(int side)
{
    if (unavailable_ || side <= 0)
        return false;
    if (side == side_ && framebuffers_[0] != 0)
        return true;
    release();
    // Framebuffer objects are part of OpenGL 3.0; an older context draws the
    // scene on the window as it is.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr || version[0] < '3' || version[1] != '.') {
        unavailable_ = true;
        return false;
    }
    glGenFramebuffers(2, framebuffers_);
    glGenRenderbuffers(2, colors_);
    glGenRenderbuffers(2, depths_);
    bool complete = true;
    for (int k = 0; k < 2; ++k) {
        glBindRenderbuffer(GL_RENDERBUFFER, colors_[k]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, side, side);
        glBindRenderbuffer(GL_RENDERBUFFER, depths_[k]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, side, side);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[k]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colors_[k]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depths_[k]);
        complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR) {
        release();
        unavailable_ = true;
        return false;
    }
    side_ = side;
    return true;
}

void SceneTarget::bind_scene() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[scene]);
}

void SceneTarget::bind_layer() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[layer]);
}

void SceneTarget::restore_layer() const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers_[layer]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers_[scene]);
    glBlitFramebuffer(0, 0, side_, side_, 0, 0, side_, side_, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[scene]);
}

void SceneTarget::present() const
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers_[scene]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, side_, side_, 0, 0, side_, side_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
