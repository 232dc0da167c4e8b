#include "platform/OpenGLRenderer.h"

#include <gtest/gtest.h>

TEST(OpenGLRenderer, TellsSoftwareRasterisersFromGpus) {
    const struct {
        const char* name;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa DRI Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OpenGLRenderer::isSoftware(QString::fromLatin1(c.name)), c.software) << c.name;
    }
}

TEST(OpenGLRenderer, NamesTheRendererOfThisDisplay) {
    EXPECT_FALSE(OpenGLRenderer::name().isEmpty());
}
