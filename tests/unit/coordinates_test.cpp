#include <gtest/gtest.h>

#include "coordinates.h"

TEST(Zones, BoundaryBelongsToTheEasternZone) {
    double e = 0, n = 0;
    int cm = 0;
    routing::geographicToGrid(-33.0, 114.0, &e, &n, &cm, 0);
    EXPECT_EQ(cm, 117);
}
