#pragma once

#include <QString>

// A point on the earth in degrees.
struct LocationCoordinate2D
{
    double latitude = 0;
    double longitude = 0;

    // Latitude, "-", longitude, each in the shortest text that reads back to
    // the same double, with ".0" on whole numbers: "1.5-2.0", "1.5--2.0".
    QString id() const;
    // Great-circle distance in metres on a sphere of the earth's mean radius.
    double distance(const LocationCoordinate2D &other) const;

    friend bool operator==(const LocationCoordinate2D &, const LocationCoordinate2D &) = default;
};

// The extent of a map region in degrees.
struct CoordinateSpan
{
    double latitudeDelta = 0;
    double longitudeDelta = 0;

    friend bool operator==(const CoordinateSpan &, const CoordinateSpan &) = default;
};

// The shortest round-trip text of a double, whole numbers ending in ".0";
// very large or small magnitudes in exponent form ("1e-05", "1e+16").
QString doubleDescription(double value);
