#pragma once

// Built-in addresses of the maker's services. Each can be overridden in "Cfg/Url.ini"
// beside the programs; the .example domain never resolves, so a fresh installation
// contacts nobody until that file names a service.
namespace ztaddresses {

// Web-service base URL: "[ServerUrl] ServerUrl=".
inline constexpr char kDefaultServerUrl[] = "https://pixvue.example";

// Public-address service queried before an install event: "[PublicIp] PublicIpUrl=".
inline constexpr char kDefaultPublicIpUrl[] = "https://ip.pixvue.example/cityjson?ie=utf-8";
inline constexpr char kPublicIpSection[] = "PublicIp";
inline constexpr char kPublicIpKey[] = "PublicIpUrl";

// The maker's web site, under which the help, contact and product pages lie:
// "[WebSite] WebSiteUrl=".
inline constexpr char kDefaultWebSiteUrl[] = "https://www.pixvue.example";
inline constexpr char kWebSiteSection[] = "WebSite";
inline constexpr char kWebSiteKey[] = "WebSiteUrl";

}  // namespace ztaddresses
