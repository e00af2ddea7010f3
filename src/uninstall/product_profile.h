// Everything that identifies the one driver product this program removes.
// Fixed at build time; nothing here is read from the registry or a file.
#pragma once

// Shared with the resource script's version information.
#include "../../resources/product_strings.h"

inline constexpr char DriverDisplayName[] = PRODUCT_DRIVER_DISPLAY_NAME;
inline constexpr char DriverDllBaseName[] = "Oskaldrv";
inline constexpr char DriverDllFileName[] = "Oskaldrv.DLL";
inline constexpr char UninstallerFileName[] = PRODUCT_UNINSTALLER_FILE_NAME;
inline constexpr char HelpDocumentBaseName[] = "Tastaturbelegung Varn (V3.02) Schaubild";
inline constexpr char HelpDocumentFileName[] = "Tastaturbelegung Varn (V3.02) Schaubild.pdf";
inline constexpr char HelpIconFileName[] = "Tastaturbelegung Varn (V3.02) Schaubild.ico";
inline constexpr char UninstallEntryName[] = "Tastaturbelegung " PRODUCT_DRIVER_DISPLAY_NAME;
inline constexpr char ProductVersion[] = PRODUCT_VERSION;
inline constexpr char WindowTitleFormat[] = "%s V%s - " PRODUCT_PROGRAM_TITLE;
inline constexpr char ProductFolderName[] = "Tessmar";
inline constexpr char FileOperationCaption[] = PRODUCT_PROGRAM_TITLE;
inline constexpr char GermanLayoutSuffix[] = "0407";
inline constexpr char StandardLayoutKey[] = "00000407";
