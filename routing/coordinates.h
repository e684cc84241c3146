// Geographic <-> transverse Mercator grid (GRS80, six-degree zones) and the
// great-circle distance. Every other module converts through these.
#ifndef OSTRIM_COORDINATES_H
#define OSTRIM_COORDINATES_H

namespace routing {

// applyShift non-zero: the position is first moved from the older
// Australian datum before projecting.
void geographicToGrid(double latitude, double longitude, double* easting, double* northing,
                      int* centralMeridian, unsigned char applyShift);

void gridToGeographic(double easting, double northing, double* latitude, double* longitude,
                      double centralMeridian, unsigned char applyShift);

// Corrections in degrees, both positive over Australia.
void datumShift(double latitude, double longitude, double* latitudeCorrection,
                double* longitudeCorrection);

// Kilometres.
double greatCircleDistance(double latitude1, double longitude1, double latitude2,
                           double longitude2);

}  // namespace routing

#endif
