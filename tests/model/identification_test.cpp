#include "model/identification.h"

#include <gtest/gtest.h>

#include "support/test_context.h"

namespace kelvo {
namespace {

using test::TestContext;

void setIdByte(Context& ctx, uint8_t id) {
    ctx.RamImage[kRamIdByte] = id;
    ctx.RamRead[kRamIdByte] = true;
}

TEST(IdentificationByte, DecodesPlatformAndProtocol) {
    struct Case {
        uint8_t id;
        uint8_t platform;
        uint8_t protocol;
    };
    for (const Case c : {Case{0xE7, 5, 2}, Case{0x7F, 5, 1}, Case{0xDF, 6, 1}, Case{0xDD, 6, 1},
                         Case{0xD6, 61, 2}, Case{0xD7, 61, 2}, Case{0x20, 7, 2}}) {
        TestContext t;
        setIdByte(t.ctx, c.id);
        EXPECT_EQ(GetPlatform(t.ctx), c.platform) << int(c.id);
        EXPECT_EQ(GetProtocol(t.ctx), c.protocol) << int(c.id);
        EXPECT_EQ(t.ctx.ErrorText, "") << int(c.id);
    }
}

TEST(IdentificationByte, UnknownFamiliesNameTheFirstError) {
    for (uint8_t id : {0x00, 0x1F, 0xC0 ^ 0x80 /* family 2, sub-family 0 */, 0x88}) {
        TestContext t;
        setIdByte(t.ctx, id);
        EXPECT_EQ(GetPlatform(t.ctx), 0) << int(id);
        EXPECT_EQ(t.ctx.ErrorText, "Unknown product");
        EXPECT_EQ(GetProtocol(t.ctx), 0);
        EXPECT_EQ(t.ctx.ErrorText, "Unknown product");  // the first message stays
    }
    TestContext t;
    setIdByte(t.ctx, 0);
    t.ctx.ErrorText = "Earlier";
    GetPlatform(t.ctx);
    EXPECT_EQ(t.ctx.ErrorText, "Earlier");
}

}  // namespace
}  // namespace kelvo
