// The product version, shown in every program's version resource and in the
// about box, whose label adds the build ("2.52b2 (220404)").
#pragma once

#define VORLANE_VERSION_MAJOR 2
#define VORLANE_VERSION_MINOR 5
#define VORLANE_VERSION_PATCH 2
#define VORLANE_VERSION_TEXT "2.52"
#define VORLANE_VERSION_LABEL "Vorlane " VORLANE_VERSION_TEXT "b2 (220404)"
