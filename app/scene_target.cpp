#define GL_GLEXT_PROTOTYPES 1
#include "app/scene_target.hpp"

SceneTarget::~SceneTarget()
{
    release();
}

void SceneTarget::release()
{
    if (framebuffers_[0] != 0 || framebuffers_[1] != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(2, framebuffers_);  // names 0 are ignored
        glDeleteTextures(2, colors_);
        glDeleteRenderbuffers(2, depths_);
    }
    for (int k = 0; k < 2; ++k)
        framebuffers_[k] = colors_[k] = depths_[k] = 0;
    side_ = 0;
    warm_steps_ = 0;
}

void SceneTarget::warm(int side)
{
    switch (warm_steps_) {
    case 0:
    case 1:
        // Each framebuffer's memory costs a pass of its own.
        if (make(side, warm_steps_ + 1))
            ++warm_steps_;
        return;
    case 2:
        if (!prepare(side))
            return;
        for (const GLuint framebuffer : framebuffers_) {
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        warm_steps_ = 3;
        return;
    case 3: {
        if (!prepare(side))
            return;
        // A line and a point, depth tested as the layer draws its paths,
        // then a first drawing onto the window, drawn over by the frame
        // that follows.
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[layer]);
        glViewport(0, 0, side_, side_);
        glDepthFunc(GL_LESS);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_LINES);
        glVertex2f(-1, -1);
        glVertex2f(-1, 1);
        glEnd();
        glBegin(GL_POINTS);
        glVertex2f(-1, -1);
        glEnd();
        glEnable(GL_TEXTURE_2D);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        present();
        warm_steps_ = 4;
        return;
    }
    default:
        return;
    }
}

bool SceneTarget::prepare(int side)
{
    return make(side, 2);
}

bool SceneTarget::make(int side, int count)
{
    if (unavailable_ || side <= 0)
        return false;
    if (side != side_) {
        release();
        // Framebuffer objects are part of OpenGL 3.0; an older context draws
        // the scene on the window as it is.
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        if (version == nullptr || version[0] < '3' || version[1] != '.') {
            unavailable_ = true;
            return false;
        }
        side_ = side;
    }
    for (int k = 0; k < count; ++k) {
        if (framebuffers_[k] != 0)
            continue;
        glGenFramebuffers(1, &framebuffers_[k]);
        glGenTextures(1, &colors_[k]);
        glGenRenderbuffers(1, &depths_[k]);
        glBindTexture(GL_TEXTURE_2D, colors_[k]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindRenderbuffer(GL_RENDERBUFFER, depths_[k]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, side, side);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[k]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colors_[k], 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depths_[k]);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (!complete || glGetError() != GL_NO_ERROR) {
            release();
            unavailable_ = true;
            return false;
        }
    }
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
    // Drawn as the widgets draw their pictures: a textured quad, texel for
    // pixel, blended over the window. The scene is opaque everywhere, so the
    // blend copies it exactly; and a software renderer has the program for
    // it compiled already, where a framebuffer copy between the two formats
    // costs it a compilation of tens of ms in the first frame.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, side_, side_);
    glPushMatrix();
    glLoadIdentity();
    glDepthFunc(GL_ALWAYS);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, colors_[scene]);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}
