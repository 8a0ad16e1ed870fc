#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "runtime/graphics_card.h"
#include "runtime/render_context.h"
#include "tests/support/gl_test_context.h"

namespace {

// The operation reads the strings of the current context.
TEST(GraphicsCardGl, DetectionUsesTheCurrentContextsStrings) {
    GlTestContext gl(16, 16);
    ASSERT_TRUE(gl.ok());
    auto context = std::make_unique<RenderContext>();
    context->speedFactor = -1.0;
    context->cardNumber = -1;
    context->vendorIsAti = true;
    context->detectGraphicsCard();
    const GraphicsCardClass expected =
        classifyGraphicsCard(reinterpret_cast<const char*>(glGetString(GL_VENDOR)),
                             reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    EXPECT_EQ(context->vendorIsAti, expected.vendorIsAti);
    EXPECT_DOUBLE_EQ(context->speedFactor, expected.speedFactor);
    EXPECT_EQ(context->cardNumber, expected.cardNumber);
    EXPECT_GE(context->speedFactor, 1.0);
}

}  // namespace
