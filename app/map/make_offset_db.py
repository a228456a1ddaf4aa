#!/usr/bin/env python3
"""Makes the map offset database that ships beside Movarel.exe.

    make_offset_db.py OUTPUT.db

The table `min` holds one row per position on a 0.1-degree grid: the latitude
key and the longitude key as "%0.1f" text (columns Lng and Lat, in that order),
then the latitude and the longitude correction in degrees, as decimal text. The
corrections are those of the Chinese national map datum (GCJ-02) against GPS
positions (WGS-84), from the published approximation of that datum. The shipped
table covers the Pearl River Delta (22.0-23.0 N, 113.0-114.5 E), enough to try
the track view; a complete table is a data file of its own and is dropped in
beside the program in place of this one.
"""
import math
import os
import sqlite3
import sys

AXIS = 6378245.0
ECCENTRICITY_SQUARED = 0.00669342162296594323


def _shift_lat(x, y):
    r = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(y * math.pi) + 40.0 * math.sin(y / 3.0 * math.pi)) * 2.0 / 3.0
    r += (160.0 * math.sin(y / 12.0 * math.pi) + 320.0 * math.sin(y * math.pi / 30.0)) * 2.0 / 3.0
    return r


def _shift_lng(x, y):
    r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(x * math.pi) + 40.0 * math.sin(x / 3.0 * math.pi)) * 2.0 / 3.0
    r += (150.0 * math.sin(x / 12.0 * math.pi) + 300.0 * math.sin(x / 30.0 * math.pi)) * 2.0 / 3.0
    return r


def correction(lat, lng):
    """Degrees to add to a GPS latitude and longitude."""
    d_lat = _shift_lat(lng - 105.0, lat - 35.0)
    d_lng = _shift_lng(lng - 105.0, lat - 35.0)
    rad = lat / 180.0 * math.pi
    magic = 1 - ECCENTRICITY_SQUARED * math.sin(rad) ** 2
    root = math.sqrt(magic)
    d_lat = d_lat * 180.0 / ((AXIS * (1 - ECCENTRICITY_SQUARED)) / (magic * root) * math.pi)
    d_lng = d_lng * 180.0 / (AXIS / root * math.cos(rad) * math.pi)
    return d_lat, d_lng


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    work = out + ".part"
    if os.path.exists(work):
        os.remove(work)
    db = sqlite3.connect(work)
    db.execute("CREATE TABLE [min] ([Lng] TEXT, [Lat] TEXT, [LatOffset] TEXT, [LngOffset] TEXT)")
    rows = []
    for i in range(220, 231):
        for j in range(1130, 1146):
            lat, lng = i / 10.0, j / 10.0
            d_lat, d_lng = correction(lat, lng)
            rows.append(("%0.1f" % lat, "%0.1f" % lng, "%.8f" % d_lat, "%.8f" % d_lng))
    db.executemany("INSERT INTO [min] VALUES (?, ?, ?, ?)", rows)
    db.commit()
    db.close()
    os.replace(work, out)


if __name__ == "__main__":
    main()
