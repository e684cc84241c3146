#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "coordinates.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Transverse Mercator by Krueger's series in the third flattening (a
// different formulation from the library's), on the ellipsoid the
// library's forward constants describe.
void kruegerGrid(double latDeg, double lonDeg, double cmDeg, double* easting, double* northing) {
    const double a = 6378137.0;
    const double e2 = 0.006694380023;
    const double f = 1.0 - std::sqrt(1.0 - e2);
    const double n = f / (2.0 - f);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n;
    const double bigA = a / (1.0 + n) * (1.0 + n2 / 4.0 + n4 / 64.0);
    const double alpha[4] = {n / 2.0 - 2.0 * n2 / 3.0 + 5.0 * n3 / 16.0 + 41.0 * n4 / 180.0,
                             13.0 * n2 / 48.0 - 3.0 * n3 / 5.0 + 557.0 * n4 / 1440.0,
                             61.0 * n3 / 240.0 - 103.0 * n4 / 140.0, 49561.0 * n4 / 161280.0};
    const double phi = latDeg * kPi / 180.0;
    const double lambda = (lonDeg - cmDeg) * kPi / 180.0;
    const double e = std::sqrt(e2);
    const double t = std::sinh(std::atanh(std::sin(phi)) - e * std::atanh(e * std::sin(phi)));
    const double xiP = std::atan2(t, std::cos(lambda));
    const double etaP = std::atanh(std::sin(lambda) / std::sqrt(1.0 + t * t));
    double xi = xiP, eta = etaP;
    for (int j = 1; j <= 4; ++j) {
        xi += alpha[j - 1] * std::sin(2 * j * xiP) * std::cosh(2 * j * etaP);
        eta += alpha[j - 1] * std::cos(2 * j * xiP) * std::sinh(2 * j * etaP);
    }
    *easting = 500000.0 + 0.9996 * bigA * eta;
    *northing = 10000000.0 + 0.9996 * bigA * xi;
}

struct Grid {
    double e = 0, n = 0;
    int cm = 0;
};

Grid toGrid(double lat, double lon, unsigned char shift = 0) {
    Grid g;
    routing::geographicToGrid(lat, lon, &g.e, &g.n, &g.cm, shift);
    return g;
}

double metresNorth(double dLatDeg) { return dLatDeg * kPi / 180.0 * 6371000.0; }
double metresEast(double dLonDeg, double lat) {
    return dLonDeg * kPi / 180.0 * 6371000.0 * std::cos(lat * kPi / 180.0);
}

}  // namespace

TEST(Zones, LongitudeOnABoundaryBelongsToTheZoneEastOfIt) {
    EXPECT_EQ(toGrid(-33.0, 114.0).cm, 117);
    EXPECT_EQ(toGrid(-33.0, 113.999999).cm, 111);
    EXPECT_EQ(toGrid(-33.0, 150.0).cm, 153);
    EXPECT_EQ(toGrid(-33.0, 149.999999).cm, 147);
    EXPECT_EQ(toGrid(-33.0, 151.2).cm, 153);
    EXPECT_EQ(toGrid(-12.4, 130.8).cm, 129);
}

TEST(Zones, TheZoneFollowsTheShiftedLongitude) {
    // Just east of a boundary before the shift, west of it after.
    double dLat = 0, dLon = 0;
    routing::datumShift(-33.0, 150.0, &dLat, &dLon);
    EXPECT_EQ(toGrid(-33.0, 150.0 + dLon / 2).cm, 153);
    EXPECT_EQ(toGrid(-33.0, 150.0 + dLon / 2, 1).cm, 147);
}

const double kPlaces[][2] = {{-33.8688, 151.2093}, {-37.8136, 144.9631}, {-27.4698, 153.0251},
                             {-31.9505, 115.8605}, {-12.4634, 130.8456}, {-42.8821, 147.3272},
                             {-35.2809, 149.1300}, {-10.5, 142.2},        {-43.5, 146.1}};

// The grid series with its fixed coefficients, evaluated term by term in
// extended precision with powers rather than products.
void referenceSeries(long double lat, long double lon, int cm, long double* e, long double* n) {
    const long double phi = lat * 0.017453292519943278L;
    const long double w = (lon - cm) * 0.017453292519943278L;
    const long double s = std::sin(phi), c = std::cos(phi), t = std::tan(phi);
    const long double wf = 1.0L - 0.006694380023L * s * s;
    const long double nu = 6378137.0L / std::sqrt(wf);
    const long double rho = 6335439.327083242L / std::pow(wf, 1.5L);
    const long double psi = nu / rho;
    *e = 0.9996L * (nu * std::pow(w, 3) * std::pow(c, 3) * (psi - t * t) / 6 + nu * w * c + 1) + 500000;
    const long double m = 6378137.0L * (0.998324257885L * phi - 0.002514667964L * std::sin(2 * phi) +
                                        2.639175e-6L * std::sin(4 * phi) - 3.418e-9L * std::sin(6 * phi));
    *n = 0.9996L * (m + nu * s * c * w * w / 2 +
                    nu * s * std::pow(c, 3) * std::pow(w, 4) * (4 * psi * psi + psi - t * t) / 24) +
         10000000;
}

TEST(GridValues, MatchTheSeriesToTheMillimetre) {
    for (const auto& p : kPlaces) {
        const Grid g = toGrid(p[0], p[1]);
        long double e = 0, n = 0;
        referenceSeries(p[0], p[1], g.cm, &e, &n);
        EXPECT_NEAR(g.e, static_cast<double>(e), 0.001) << p[0] << " " << p[1];
        EXPECT_NEAR(g.n, static_cast<double>(n), 0.001) << p[0] << " " << p[1];
    }
}

TEST(GridValues, StayCloseToAnIndependentProjection) {
    // Against Krueger's series: the easting carries the constant 0.9996 m
    // and the short series' centimetres; the northing the half metre that
    // the fixed meridian-arc coefficients put on it at these latitudes.
    for (const auto& p : kPlaces) {
        const Grid g = toGrid(p[0], p[1]);
        double e = 0, n = 0;
        kruegerGrid(p[0], p[1], g.cm, &e, &n);
        EXPECT_NEAR(g.e, e + 0.9996, 0.01) << p[0] << " " << p[1];
        EXPECT_NEAR(g.n, n, 0.6) << p[0] << " " << p[1];
    }
}

TEST(GridValues, OnTheCentralMeridianTheEastingIsTheOffsetAlone) {
    const Grid g = toGrid(-30.0, 147.0);
    EXPECT_EQ(g.cm, 147);
    EXPECT_DOUBLE_EQ(g.e, 0.9996 * 1.0 + 500000.0);
}

TEST(GridValues, NorthOfTheEquatorStillGetsTheFalseNorthing) {
    EXPECT_GT(toGrid(5.0, 120.0).n, 10000000.0);
    EXPECT_LT(toGrid(-5.0, 120.0).n, 10000000.0);
}

TEST(GridValues, InverseReturnsAboutOneMetreEastOfTheStart) {
    for (double lat = -10.0; lat >= -45.0; lat -= 5.0) {
        for (double offset : {-0.5, 0.0, 0.7}) {
            for (unsigned char shift : {0, 1}) {
                const double lon = 141.0 + offset;
                const Grid g = toGrid(lat, lon, shift);
                double backLat = 0, backLon = 0;
                routing::gridToGeographic(g.e, g.n, &backLat, &backLon, g.cm, shift);
                const double east = metresEast(backLon - lon, lat);
                EXPECT_GT(east, 0.8) << lat << " " << lon;
                EXPECT_LT(east, 1.2) << lat << " " << lon;
                EXPECT_LT(std::fabs(metresNorth(backLat - lat)), 1.0) << lat << " " << lon;
            }
        }
    }
}

TEST(GridValues, InverseDriftsAFewMetresNearTheZoneEdge) {
    const Grid g = toGrid(-40.0, 143.9);
    double backLat = 0, backLon = 0;
    routing::gridToGeographic(g.e, g.n, &backLat, &backLon, g.cm, 0);
    EXPECT_LT(std::fabs(metresNorth(backLat - (-40.0))), 6.0);
}

TEST(DatumShift, OverAustraliaMovesNorthAndEastByAboutOneToTwoHundredMetres) {
    double minNorth = 1e9, maxNorth = -1e9, minEast = 1e9, maxEast = -1e9;
    for (double lat = -12.0; lat >= -43.0; lat -= 1.0) {
        for (double lon = 115.0; lon <= 153.0; lon += 1.0) {
            double dLat = 0, dLon = 0;
            routing::datumShift(lat, lon, &dLat, &dLon);
            const double north = metresNorth(dLat);
            const double east = metresEast(dLon, lat);
            minNorth = std::min(minNorth, north);
            maxNorth = std::max(maxNorth, north);
            minEast = std::min(minEast, east);
            maxEast = std::max(maxEast, east);
        }
    }
    EXPECT_GT(minNorth, 115.0);
    EXPECT_LT(maxNorth, 185.0);
    EXPECT_GT(minEast, 95.0);
    EXPECT_LT(maxEast, 150.0);
}

TEST(DatumShift, GridWithShiftIsTheGridOfTheShiftedPosition) {
    double dLat = 0, dLon = 0;
    routing::datumShift(-33.9, 151.1, &dLat, &dLon);
    const Grid shifted = toGrid(-33.9, 151.1, 1);
    const Grid plain = toGrid(-33.9 - dLat, 151.1 - dLon, 0);
    EXPECT_EQ(shifted.e, plain.e);
    EXPECT_EQ(shifted.n, plain.n);
    // And the shift moves the grid position by some 150 to 220 metres.
    const Grid unshifted = toGrid(-33.9, 151.1, 0);
    const double moved = std::hypot(shifted.e - unshifted.e, shifted.n - unshifted.n);
    EXPECT_GT(moved, 150.0);
    EXPECT_LT(moved, 230.0);
}

TEST(GreatCircle, KnownDistances) {
    EXPECT_NEAR(routing::greatCircleDistance(-33.0, 151.0, -33.01, 151.0), 1.1112, 0.0005);
    EXPECT_EQ(routing::greatCircleDistance(-33.5, 151.5, -33.5, 151.5) < 0.001, true);
    // Sydney to Melbourne, about 713 km on this sphere.
    EXPECT_NEAR(routing::greatCircleDistance(-33.8688, 151.2093, -37.8136, 144.9631), 712.0, 5.0);
}

TEST(GreatCircle, AgreesWithTheHaversineFormula) {
    const double r = 6366.707019493715;
    for (int i = 0; i < 200; ++i) {
        const double lat1 = -10.0 - (i * 37 % 330) / 10.0;
        const double lon1 = 113.0 + (i * 53 % 400) / 10.0;
        const double lat2 = lat1 + ((i * 17 % 21) - 10) * 0.05;
        const double lon2 = lon1 + ((i * 29 % 23) - 11) * 0.05 + 0.01;
        const double p1 = lat1 * kPi / 180, p2 = lat2 * kPi / 180;
        const double h = std::pow(std::sin((p2 - p1) / 2), 2) +
                         std::cos(p1) * std::cos(p2) * std::pow(std::sin((lon2 - lon1) * kPi / 360), 2);
        const double expected = 2 * r * std::asin(std::sqrt(h));
        EXPECT_NEAR(routing::greatCircleDistance(lat1, lon1, lat2, lon2), expected, expected * 1e-5 + 1e-5);
    }
}

TEST(BadCoordinates, NonFiniteAndHugeValuesGiveNumbersWithoutFaults) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double cases[][2] = {{nan, 151.0}, {-33.0, nan}, {-33.0, inf}, {-33.0, -inf},
                               {1e300, 1e300}, {-33.0, -1e300}, {inf, inf}};
    for (const auto& c : cases) {
        for (unsigned char shift : {0, 1}) {
            const Grid g = toGrid(c[0], c[1], shift);
            double lat = 0, lon = 0;
            routing::gridToGeographic(g.e, g.n, &lat, &lon, g.cm, shift);
            routing::gridToGeographic(c[0], c[1], &lat, &lon, 153.0, shift);
        }
        (void)routing::greatCircleDistance(c[0], c[1], -33.0, 151.0);
    }
    EXPECT_EQ(toGrid(-33.0, nan).cm, -183);
}
