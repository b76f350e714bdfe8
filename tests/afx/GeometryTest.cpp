// Rectangles of any 32-bit edges measure without wrapping round.
#include "Geometry.h"

#include <gtest/gtest.h>

#include <climits>

TEST(GeometryTest, ExtentsOfExtremeRectanglesStopAtTheRangeEnds)
{
    struct Case {
        int nFrom, nTo, nExtent;
    };
    const Case cases[] = {
        {10, 250, 240},
        {250, 10, -240},
        {-5, 5, 10},
        {INT_MIN, INT_MAX, INT_MAX},
        {INT_MAX, INT_MIN, INT_MIN},
        {-1, INT_MAX, INT_MAX},       // 2^31 is one more than an int holds
        {INT_MIN, 0, INT_MAX},
        {INT_MIN + 1, 0, INT_MAX},
        {1, INT_MIN, INT_MIN},
        {0, INT_MIN, INT_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nFrom << " to " << c.nTo);
        EXPECT_EQ(CRect(c.nFrom, 0, c.nTo, 0).Width(), c.nExtent);
        EXPECT_EQ(CRect(0, c.nFrom, 0, c.nTo).Height(), c.nExtent);
        EXPECT_EQ(CRect(c.nFrom, c.nFrom, c.nTo, c.nTo).Size(), CSize(c.nExtent, c.nExtent));
    }
}
