// The release every shipped image carries in its version resource (res/VersionInfo.rc); the
// about box says "Version 2.00" and scripts/package names the zip after PEMO_PRODUCT_VERSION.
#pragma once

#define PEMO_VERSION_NUMBERS 2, 0, 0, 0
#define PEMO_FILE_VERSION "2.0.0.0"
#define PEMO_PRODUCT_VERSION "2.00"
#define PEMO_PRODUCT_NAME "Pemo_ux1 Lumo-P31A モジュール"
#define PEMO_COMPANY "Pemo_ux1 project"
#define PEMO_COPYRIGHT "Copyright (C) 2026 Pemo_ux1 project"
