// The fixed catalogue of scan sections behind the rows of the section check-list.
#include "engine/scan_catalogue.h"

namespace vx {
namespace {

constexpr std::string_view kCR = "HKEY_CLASSES_ROOT";
constexpr std::string_view kCU = "HKEY_CURRENT_USER";
constexpr std::string_view kLM = "HKEY_LOCAL_MACHINE";

std::vector<ScanSection> BuildCatalogue(bool ntFamily) {
    const std::string_view fontsKey = ntFamily ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                                               : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    using enum WalkKind;
    using enum RunStyle;
    return {
        {1,
         "Registry Integrity",
         "Registry Integrity",
         "",
         {{DisplayOnly, kCR, HKEY_CLASSES_ROOT, "CLSID"}},
         false,
         CheckBeforeEachWalk},
        {2,
         "Custom Controls",
         " Custom Controls....",
         "ActiveX \\ COM",
         {{Recursive, kCR, HKEY_CLASSES_ROOT, "CLSID"}},
         true,
         CheckOnceThenTally},
        {3,
         "Sub Section Controls",
         " Sub Section Controls....",
         "ActiveX \\ COM Subsections",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID"}},
         true,
         CheckOnceThenTally},
        {4,
         "Software Locations",
         " Software Locations....",
         "Application Paths",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"}},
         true,
         CheckOnceThenTally},
        {5,
         "Help Files",
         "Help Files",
         "Help Files",
         {{Flat, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\Help"},
          {Flat, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\HTML Help"}},
         true,
         CheckBeforeEachWalk},
        {6,
         "Shared Files",
         " Shared files....",
         "Microsoft Shared",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools"}},
         true,
         CheckOnceThenTally},
        {7,
         "Windows Startup",
         "Windows Startup",
         "Windows Startup",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
          {Recursive, kCU, HKEY_CURRENT_USER,
           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs"}},
         true,
         CheckBeforeEachWalk},
        {8,
         "Uninstall Section",
         " Uninstall files...",
         "Uninstall Section",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}},
         true,
         CheckBeforeAndAfter},
        {9,
         "Virtual Devices",
         " Virtual Devices...",
         "VxD Section",
         {{Flat, kLM, HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers"}},
         true,
         CheckBeforeAndAfter},
        {10,
         "Windows Fonts",
         " Windows fonts...",
         "Windows Fonts",
         {{Flat, kLM, HKEY_LOCAL_MACHINE, fontsKey}},
         true,
         CheckOnceThenTally},
        {11,
         "Configuration files",
         kConfigurationFilesStatus,
         "Application Paths",
         {{Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE"},
          {Recursive, kLM, HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes"}},
         false,
         NoCheck,
         true},
    };
}

} // namespace

const std::vector<ScanSection>& FixedScanSections(uint32_t platformId) {
    static const std::vector<ScanSection> nt = BuildCatalogue(true);
    static const std::vector<ScanSection> older = BuildCatalogue(false);
    return platformId == 2 ? nt : older;
}

} // namespace vx
