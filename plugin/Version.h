// Version.h - the plug-in's version and the texts of its version record, defined once.
//
// The resource compiler reads this file for the version record; C++ code
// reads it for the same values (the Linux build's version data, the about
// answer). Plain #define lines only, so that both can.
#pragma once

// 1.0.0.1, as numbers for the fixed part of the version record.
#define TARVENIX_VERSION_MAJOR 1
#define TARVENIX_VERSION_MINOR 0
#define TARVENIX_VERSION_PATCH 0
#define TARVENIX_VERSION_BUILD 1

// The same version as the record's texts write it.
#define TARVENIX_VERSION_TEXT "1, 0, 0, 1"

// The string block 040904B0 (English (United States), Unicode): seven values.
#define TARVENIX_COMPANY_NAME      ""
#define TARVENIX_FILE_DESCRIPTION  "Tarvenix2 DLL"
#define TARVENIX_FILE_VERSION      TARVENIX_VERSION_TEXT
#define TARVENIX_INTERNAL_NAME     "Tarvenix2"
#define TARVENIX_ORIGINAL_FILENAME "Tarvenix2.DLL"
#define TARVENIX_PRODUCT_NAME      "Tarvenix2 Dynamic Link Library"
#define TARVENIX_PRODUCT_VERSION   TARVENIX_VERSION_TEXT

// The block's language and code page, and the record's Translation pair.
#define TARVENIX_VERSION_LANGUAGE  0x0409
#define TARVENIX_VERSION_CODE_PAGE 1200

// What the about answer gives as "Version" and "Date"; the host shows them as they are.
#define TARVENIX_ABOUT_VERSION "v1.01 beta"
#define TARVENIX_ABOUT_DATE    "06/04/99"
