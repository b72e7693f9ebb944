#include "remedy/registry_repair_steps.hpp"

#include <array>

namespace kestro::remedy {
namespace {

using platform::RegistryRoot;
using platform::SpecialFolder;
constexpr RegistryRoot HKCR = RegistryRoot::ClassesRoot;
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;
constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;
constexpr RegistryRoot HKU = RegistryRoot::Users;

constexpr RepairStep Text(int n, RegistryRoot root, std::string_view key, std::string_view name,
                          std::string_view text) {
  return {.number = n, .action = RepairAction::SetText, .root = root, .key = key, .name = name, .text = text};
}
constexpr RepairStep TextOf(int n, RegistryRoot root, std::string_view key, std::string_view name,
                            RepairText source) {
  return {.number = n, .action = RepairAction::SetText, .root = root, .key = key, .name = name, .textSource = source};
}
constexpr RepairStep TextAt(int n, RegistryRoot root, std::string_view key, std::string_view tail,
                            std::string_view text) {
  return {.number = n, .action = RepairAction::SetText, .root = root, .key = key, .keyTail = tail, .text = text};
}
constexpr RepairStep Number(int n, RegistryRoot root, std::string_view key, std::string_view name,
                            std::uint32_t number) {
  return {.number = n, .action = RepairAction::SetNumber, .root = root, .key = key, .name = name, .number_ = number};
}
constexpr RepairStep DropValue(int n, RegistryRoot root, std::string_view key, std::string_view name) {
  return {.number = n, .action = RepairAction::DeleteValue, .root = root, .key = key, .name = name};
}
constexpr RepairStep DropUserValue(int n, RegistryRoot root, std::string_view key, std::string_view prefix) {
  return {.number = n, .action = RepairAction::DeleteValue, .root = root, .key = key, .name = prefix,
          .nameTakesUserName = true};
}
constexpr RepairStep DropKey(int n, RegistryRoot root, std::string_view key, std::string_view tail = {}) {
  return {.number = n, .action = RepairAction::DeleteKey, .root = root, .key = key, .keyTail = tail};
}
constexpr RepairStep MakeKey(int n, RegistryRoot root, std::string_view key) {
  return {.number = n, .action = RepairAction::CreateKey, .root = root, .key = key};
}
constexpr RepairStep DropFile(int n, SpecialFolder folder, std::string_view name) {
  return {.number = n, .action = RepairAction::DeleteFile, .name = name, .folder = folder};
}

constexpr std::string_view kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr std::string_view kOpenCommandText = "\"%1\" %*";
constexpr std::string_view kAdvanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\";
constexpr std::string_view kHideProtected = "Hide protected operating system files (Recommended)";
constexpr std::string_view kSuperHidden =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\SuperHidden";
constexpr std::string_view kShowAll =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\SHOWALL";
constexpr std::string_view kCurrentVersionNt = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kSystemRestorePolicy = "Software\\Policies\\Microsoft\\Windows NT\\SystemRestore";
constexpr std::string_view kInstallerPolicy = "Software\\Policies\\Microsoft\\Windows\\Installer";
constexpr std::string_view kLutil = "Software\\lutil\\FMR";
constexpr std::string_view kGroupPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Group Policy";
constexpr std::string_view kInternetExplorerMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kImageOptions =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";
constexpr std::string_view kSafeBootMinimal = "System\\CurrentControlSet\\Control\\SafeBoot\\Minimal\\";
constexpr std::string_view kSafeBootNetwork = "System\\CurrentControlSet\\Control\\SafeBoot\\Network\\";

constexpr std::array kSteps = {
    Text(1, HKLM, kWinlogon, "Shell", "Explorer.exe"),
    Text(2, HKCR, "exefile\\shell\\open\\command", "", kOpenCommandText),
    Text(3, HKCR, "lnkfile\\shell\\open\\command", "", kOpenCommandText),
    Text(4, HKCR, "piffile\\shell\\open\\command", "", kOpenCommandText),
    Text(5, HKCR, "batfile\\shell\\open\\command", "", kOpenCommandText),
    Text(6, HKCR, "comfile\\shell\\open\\command", "", kOpenCommandText),
    Text(7, HKCR, "cmdfile\\shell\\open\\command", "", kOpenCommandText),
    Text(8, HKCR, "scrfile\\shell\\open\\command", "", "\"%1\" /S"),
    Text(9, HKCR, "regfile\\shell\\open\\command", "", "regedit.exe %1"),
    Number(10, HKCU, kAdvanced, "HideFileExt", 1),
    Number(11, HKCU, kAdvanced, "Hidden", 2),
    Number(12, HKCU, kAdvanced, "ShowSuperHidden", 0),
    Text(13, HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", "Auto", "0"),
    Text(14, HKCU, "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", "@shell32.dll,-30508", kHideProtected),
    Text(15, HKU, "S-1-5-21-1417001333-1060284298-725345543-500\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
         "@shell32.dll,-30508", kHideProtected),
    Text(16, HKLM, kSuperHidden, "Text", "@shell32.dll,-30508"),
    Text(17, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden", "Bitmap",
         "%SystemRoot%\\system32\\SHELL32.dll,4"),
    Text(18, HKLM, kShowAll, "Text", "@shell32.dll,-30500"),
    Text(19, HKLM, kShowAll, "Type", "radio"),
    TextOf(20, HKLM, kCurrentVersionNt, "RegisteredOwner", RepairText::UserName),
    TextOf(21, HKLM, kCurrentVersionNt, "RegisteredOrganization", RepairText::ComputerName),
    Text(22, HKLM, kSuperHidden, "Type", "checkbox"),
    MakeKey(23, HKLM, kRun),
    DropValue(24, HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations"),
    Text(25, HKU,
         "S-1-5-21-839522115-2052111302-2147137731-500\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
         "LastKey",
         "My Computer\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\"
         "SuperHidden"),
    DropValue(26, HKU, "S-1-5-21-839522115-2052111302-2147137731-500\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
              "C:\\WINDOWS\\system32\\ctfmon.exe"),
    DropValue(27, HKCU, kRun, "ctfmon.exe"),
    DropKey(28, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"),
    DropKey(29, HKU, "S-1-5-21-1547161642-1343024091-725345543-500\\Software\\Policies\\Microsoft\\Windows\\System"),
    DropValue(30, HKLM, kSystemRestorePolicy, "DisableConfig"),
    Number(31, HKLM, kSystemRestorePolicy, "DisableSR", 0),
    DropValue(32, HKLM, kInstallerPolicy, "LimitSystemRestoreCheckpointing"),
    DropValue(33, HKLM, kInstallerPolicy, "DisableMSI"),
    Text(34, HKLM, "SYSTEM\\CurrentControlSet\\Control\\SafeBoot\\", "AlternateShell", "cmd.exe"),
    Text(35, HKCU, "Control Panel\\Desktop\\", "ScreenSaveActive", "1"),
    DropKey(36, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp"),
    DropKey(37, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp"),
    Number(38, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState", "FullPathAddress", 1),
    Text(39, HKLM, kWinlogon, "Shell", "Explorer.exe "),
    TextOf(40, HKLM, kWinlogon, "UserInit", RepairText::UserInit),
    DropValue(41, HKCU, kRun, "4k51k4"),
    DropValue(42, HKCU, kRun, "MSMSGS"),
    DropUserValue(43, HKCU, kRun, "Service"),
    DropUserValue(44, HKLM, kRun, "Logon"),
    DropValue(45, HKLM, kRun, "System Monitoring"),
    DropValue(46, HKLM, kRun, "ssvchost"),
    DropValue(47, HKLM, kRun, "Print Epson"),
    DropValue(48, HKCU, kRun, "Walpaper"),
    DropValue(49, HKLM, kLutil, "svchost"),
    DropValue(50, HKLM, kLutil, "Register"),
    DropValue(51, HKCU, kGroupPolicy, "svchost"),
    DropValue(52, HKCU, kGroupPolicy, "AppMgmt"),
    DropFile(53, SpecialFolder::MyPictures, "XxXLove.exe"),
    DropFile(54, SpecialFolder::LocalAppData, "MakeLove.exe"),
    DropFile(55, SpecialFolder::Startup, "Fuckme.com"),
    DropFile(56, SpecialFolder::AppData, "TuGas.exe"),
    DropValue(57, HKLM, kRun, "PaRaY_VM"),
    DropValue(58, HKLM, kRun, "ConfigVir"),
    DropValue(59, HKLM, kRun, "NviDiaGT"),
    DropValue(60, HKLM, kRun, "NarmonVirusAnti"),
    DropValue(61, HKLM, kRun, "AVManager"),
    DropValue(62, HKCU, kInternetExplorerMain, "Window Title"),
    DropValue(63, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA"),
    DropKey(64, HKLM, kSystemRestorePolicy),
    DropKey(65, HKLM, kImageOptions, "msconfig.exe"),
    DropKey(66, HKLM, kImageOptions, "rstrui.exe"),
    DropKey(67, HKLM, kImageOptions, "wscript.exe"),
    DropKey(68, HKLM, kImageOptions, "mmc.exe"),
    DropKey(69, HKLM, kImageOptions, "Install.exe"),
    DropKey(70, HKLM, kImageOptions, "procexp.exe"),
    DropKey(71, HKLM, kImageOptions, "msiexec.exe"),
    DropValue(72, HKCR, "exefile", "NeverShowExt"),
    DropKey(73, HKLM, kImageOptions, "taskkill.exe"),
    DropKey(74, HKLM, kImageOptions, "cmd..exe"),
    DropKey(75, HKLM, kImageOptions, "tasklist.exe"),
    DropKey(76, HKLM, kImageOptions, "HokageFile.exe"),
    DropKey(77, HKLM, kImageOptions, "Rin.exe"),
    DropKey(78, HKLM, kImageOptions, "Obito.exe"),
    DropKey(79, HKLM, kImageOptions, "KakashiHatake.exe"),
    DropKey(80, HKLM, kImageOptions, "HOKAGE4.exe"),
    DropValue(81, HKLM, kRun, "kebodohan"),
    DropValue(82, HKLM, kRun, "pemalas"),
    DropValue(83, HKLM, kRun, "mulut_besar"),
    DropValue(84, HKLM, kRun, "otak_udang"),
    TextOf(85, HKCU, kInternetExplorerMain, "Start Page", RepairText::SiteAddress),
    TextOf(86, HKLM, kInternetExplorerMain, "Start Page", RepairText::SiteAddress),
    TextAt(87, HKLM, kSafeBootMinimal, "dmboot.sys", "Driver"),
    TextAt(88, HKLM, kSafeBootMinimal, "dmio.sys", "Driver"),
    TextAt(89, HKLM, kSafeBootMinimal, "dmload.sys", "Driver"),
    TextAt(90, HKLM, kSafeBootMinimal, "sermouse.sys", "Driver"),
    TextAt(91, HKLM, kSafeBootMinimal, "sr.sys", "FSFilter System Recovery"),
    TextAt(92, HKLM, kSafeBootMinimal, "vga.sys", "Driver"),
    TextAt(93, HKLM, kSafeBootMinimal, "vgasave.sys", "Driver"),
    TextAt(94, HKLM, kSafeBootNetwork, "dmboot.sys", "Driver"),
    TextAt(95, HKLM, kSafeBootNetwork, "dmiot.sys", "Driver"),
    TextAt(96, HKLM, kSafeBootNetwork, "rdpcdd.sys", "Driver"),
    TextAt(97, HKLM, kSafeBootNetwork, "rdpdd.sys", "Driver"),
    TextAt(98, HKLM, kSafeBootNetwork, "rdpwd.sys", "Driver"),
    TextAt(99, HKLM, kSafeBootNetwork, "sermouse.sys", "Driver"),
    TextAt(100, HKLM, kSafeBootNetwork, "tdpipe.sys", "Driver"),
    TextAt(101, HKLM, kSafeBootNetwork, "tdtcp.sys", "Driver"),
    TextAt(102, HKLM, kSafeBootNetwork, "vga.sys", "Driver"),
    TextAt(103, HKLM, kSafeBootNetwork, "vgasave.sys", "Driver"),
};
static_assert(kSteps.size() == 103);

}  // namespace

std::span<const RepairStep> RepairSteps() { return kSteps; }

}  // namespace kestro::remedy
