// Fixed texts that name the program.
#pragma once

namespace AppInfo {
inline constexpr const char* kName = "ORVENA Конфигуратор";
inline constexpr const char* kVersion = "01.24";
// The release as the programs' --version and the package name it.
inline constexpr const char* kProgramVersion = ORVENA_VERSION;
inline constexpr const char* kDate = "19.02.19";
inline constexpr const char* kCompany = "ООО «Орвена Телематика»";
inline constexpr const char* kCompanyYear = "2019";
inline constexpr const char* kWebsite = "https://orvena.example/";
}  // namespace AppInfo
