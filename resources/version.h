// The product version, shown in every program's version resource.
#pragma once

#define VORLANE_VERSION_MAJOR 1
#define VORLANE_VERSION_MINOR 0
#define VORLANE_VERSION_PATCH 0
#define VORLANE_VERSION_TEXT "1.0.0"
