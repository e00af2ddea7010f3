// Everything that identifies the one driver product this program removes.
// Fixed at build time; nothing here is read from the registry or a file.
#pragma once

inline constexpr char DriverDisplayName[] = "DIN Varn AltGrLinks (V3.02 \"Lindgriff\")";
inline constexpr char DriverDllBaseName[] = "Oskaldrv";
inline constexpr char DriverDllFileName[] = "Oskaldrv.DLL";
inline constexpr char UninstallerFileName[] = "Uninstall_Oskaldrv.exe";
inline constexpr char HelpDocumentBaseName[] = "Tastaturbelegung Varn (V3.02) Schaubild";
inline constexpr char HelpDocumentFileName[] = "Tastaturbelegung Varn (V3.02) Schaubild.pdf";
inline constexpr char HelpIconFileName[] = "Tastaturbelegung Varn (V3.02) Schaubild.ico";
inline constexpr char UninstallEntryName[] = "Tastaturbelegung DIN Varn AltGrLinks (V3.02 \"Lindgriff\")";
inline constexpr char ProductVersion[] = "3.02";
inline constexpr char WindowTitleFormat[] = "%s V%s - Tastaturtreiber-Deinstallation";
inline constexpr char ProductFolderName[] = "Tessmar";
inline constexpr char FileOperationCaption[] = "Tastaturtreiber-Deinstallation";
inline constexpr char GermanLayoutSuffix[] = "0407";
inline constexpr char StandardLayoutKey[] = "00000407";
