// The sample data set: <root>/roads/ holds the road-network files,
// <root>/layers/ the city map layers, <root>/maps/ the map sheets.
#ifndef OSTRIM_SAMPLE_DATA_H
#define OSTRIM_SAMPLE_DATA_H

#include <string>

#include "network_model.h"

// The generated city that every part of the sample data is drawn from.
writers::NetworkModel sampleCity();

// Each returns false (after printing why) when it could not write.
bool writeSampleRoads(const std::string& root);
bool writeSampleSheets(const std::string& root);
bool writeSampleLayers(const std::string& root);
// The cell files and link shapes of the same city, beside "roadnet.dat".
bool writeSampleRouteFiles(const std::string& root);

#endif
