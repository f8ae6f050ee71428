#include "support/qt_main.h"

VR_GTEST_MAIN_WITH_GUI()
