#include "coordinates.h"

#include <algorithm>
#include <cmath>

#include "truncate.h"

namespace routing {

namespace {

// The series coefficients and ellipsoid ratios are fixed values; deriving
// them at run time would shift results in the last digits.
constexpr double kDegToRad = 0.017453292519943278;
constexpr double kRadToDeg = 57.29577951308239;
constexpr double kPiFootpoint = 3.14159265358979;
constexpr double kScale = 0.9996;
constexpr double kInverseScale = 1.0004001600640255;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthing = 10000000.0;
constexpr double kSemiMajor = 6378137.0;
constexpr double kE2Forward = 0.006694380023;
constexpr double kRhoFactorForward = 6335439.327083242;
constexpr double kE2Inverse = 0.006694380047347149;
constexpr double kRhoFactorInverse = 6335439.326927953;
constexpr double kArc0 = 0.998324257885;
constexpr double kArc2 = 0.002514667964;
constexpr double kArc4 = 2.639175e-6;
constexpr double kArc6 = 3.418e-9;
constexpr double kFootpointFactor = 4.9990173306657676e-8;
constexpr double kFoot2 = 0.0025188260048437496;
constexpr double kFoot4 = 3.70096125e-6;

constexpr double kAnsSemiMajor = 6378160.0;
constexpr double kAnsE2 = 0.006694541853596537;
constexpr double kAnsInverseA = 1.5678502891115933e-7;
constexpr double kAnsAOverB = 1.0033641715722497;
constexpr double kAnsBOverA = 0.99664710813126;
constexpr double kShiftX = -134.0;
constexpr double kShiftY = -48.0;
constexpr double kShiftZ = 149.0;
constexpr double kShiftA = -23.0;
constexpr double kShiftF = -8.1204e-8;

constexpr double kEarthRadiusKm = 6366.707019493715;

}  // namespace

void geographicToGrid(double latitude, double longitude, double* easting, double* northing,
                      int* centralMeridian, unsigned char applyShift) {
    if (applyShift != 0) {
        double dLat = 0.0;
        double dLon = 0.0;
        datumShift(latitude, longitude, &dLat, &dLon);
        latitude -= dLat;
        longitude -= dLon;
    }
    const double phi = latitude * kDegToRad;
    // Longitudes beyond any meaning are held to a range in which the zone
    // arithmetic cannot overflow; NaN gives zone 0.
    const int zone = platform::truncToInt32(std::clamp(longitude + 186.0, -1.0e6, 1.0e6));
    const int cm = (zone / 6) * 6 - 183;
    *centralMeridian = cm;
    const double omega = (longitude - cm) * kDegToRad;

    const double s = std::sin(phi);
    const double c = std::cos(phi);
    const double t = std::tan(phi);
    const double w = 1.0 - kE2Forward * s * s;
    const double nu = kSemiMajor / std::pow(w, 0.5);
    const double rho = kRhoFactorForward / std::pow(w, 1.5);
    const double psi = nu / rho;

    // The 1.0 inside the scaled sum is part of the grid the data was made
    // with; the inverse does not take it off.
    *easting = kScale * (nu * omega * omega * omega * c * c * c * (psi - t * t) / 6.0 +
                         nu * omega * c + 1.0) +
               kFalseEasting;

    const double m = kSemiMajor * (kArc0 * phi - kArc2 * std::sin(2.0 * phi) +
                                   kArc4 * std::sin(4.0 * phi) - kArc6 * std::sin(6.0 * phi));
    *northing = kScale * (m + nu * s * c * omega * omega / 2.0 +
                          nu * s * c * c * c * omega * omega * omega * omega *
                              (4.0 * psi * psi + psi - t * t) / 24.0) +
                kFalseNorthing;
}

void gridToGeographic(double easting, double northing, double* latitude, double* longitude,
                      double centralMeridian, unsigned char applyShift) {
    const double x = (easting - kFalseEasting) * kInverseScale;
    const double m = (northing - kFalseNorthing) * kInverseScale;
    const double mu = m * kPiFootpoint * kFootpointFactor;
    const double phi1 = mu + kFoot2 * std::sin(2.0 * mu) + kFoot4 * std::sin(4.0 * mu);

    const double s = std::sin(phi1);
    const double t = std::tan(phi1);
    const double sec = 1.0 / std::cos(phi1);
    const double w = 1.0 - kE2Inverse * s * s;
    const double rho = kRhoFactorInverse / std::pow(w, 1.5);
    const double nu = kSemiMajor / std::sqrt(w);
    const double psi = nu / rho;
    const double d = x / nu;

    double lat = (phi1 - (t / (kScale * rho)) * (kScale * x) * d * 0.5) * kRadToDeg;
    double lon = (centralMeridian * kDegToRad + sec * d -
                  sec * (psi + 2.0 * t * t) * d * d * d / 6.0) *
                 kRadToDeg;
    if (applyShift != 0) {
        double dLat = 0.0;
        double dLon = 0.0;
        datumShift(lat, lon, &dLat, &dLon);
        lat += dLat;
        lon += dLon;
    }
    *latitude = lat;
    *longitude = lon;
}

void datumShift(double latitude, double longitude, double* latitudeCorrection,
                double* longitudeCorrection) {
    const double phi = latitude * kDegToRad;
    const double lambda = longitude * kDegToRad;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double sinLambda = std::sin(lambda);
    const double cosLambda = std::cos(lambda);
    const double w = 1.0 - kAnsE2 * sinPhi * sinPhi;
    const double nu = kAnsSemiMajor / std::sqrt(w);
    const double rho = kAnsSemiMajor * (1.0 - kAnsE2) / std::pow(w, 1.5);

    *latitudeCorrection =
        (-kShiftX * sinPhi * cosLambda - kShiftY * sinPhi * sinLambda + kShiftZ * cosPhi +
         kShiftA * kAnsE2 * nu * sinPhi * cosPhi * kAnsInverseA +
         kShiftF * (kAnsAOverB * rho + kAnsBOverA * nu) * sinPhi * cosPhi) /
        rho * kRadToDeg;
    *longitudeCorrection =
        (-kShiftX * sinLambda + kShiftY * cosLambda) / (nu * cosPhi) * kRadToDeg;
}

double greatCircleDistance(double latitude1, double longitude1, double latitude2,
                           double longitude2) {
    const double phi1 = latitude1 * kDegToRad;
    const double phi2 = latitude2 * kDegToRad;
    const double dLambda = (longitude1 - longitude2) * kDegToRad;
    const double x =
        std::cos(dLambda) * std::cos(phi2) * std::cos(phi1) + std::sin(phi2) * std::sin(phi1);
    if (x >= 1.0) return 0.0;
    // Written as an arctangent rather than acos so that values of x just
    // short of 1 give the same small distances the data was checked with.
    return (1.5707963267948966 + std::atan(-x / std::sqrt(1.0 - x * x))) * kEarthRadiusKm;
}

}  // namespace routing
