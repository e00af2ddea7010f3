// The product's names and version as plain macros: the resource script's
// preprocessor reads no C++, so the version information and the program
// (through uninstall/product_profile.h) share this one copy.
#ifndef RESOURCES_PRODUCT_STRINGS_H
#define RESOURCES_PRODUCT_STRINGS_H

// \x22 is the quotation mark: the resource compiler warns about \" and C++
// does not know RC's "".
#define PRODUCT_DRIVER_DISPLAY_NAME "DIN Varn AltGrLinks (V3.02 \x22Lindgriff\x22)"
#define PRODUCT_UNINSTALLER_FILE_NAME "Uninstall_Oskaldrv.exe"
#define PRODUCT_PROGRAM_TITLE "Tastaturtreiber-Deinstallation"

// Version 3.02: the numbers for the fixed version fields (3,2,0,0), the text
// made from them, with the minor number's two digits as the product writes it.
#define PRODUCT_VERSION_MAJOR 3
#define PRODUCT_VERSION_MINOR 02
#define PRODUCT_STRINGIZE_(x) #x
#define PRODUCT_STRINGIZE(x) PRODUCT_STRINGIZE_(x)
#define PRODUCT_VERSION PRODUCT_STRINGIZE(PRODUCT_VERSION_MAJOR) "." PRODUCT_STRINGIZE(PRODUCT_VERSION_MINOR)

#endif
