// controls/bitmap_slider.cpp
#include "controls/bitmap_slider.h"
