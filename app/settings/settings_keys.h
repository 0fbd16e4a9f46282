// The keys of the settings file, one field per key, named as the key. Each section's visitKeys
// is the one place that gives every key's name, type, default and position in its section:
// loading and saving both walk it, so they cannot disagree.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::settings {

// Texts hold UTF-8; the file holds them as Shift-JIS.

struct StandardKeys {
    std::string Ver; // computed by LoadStandard, never read from the file
    std::string Count;
    std::int16_t AutoStart = 0;
    std::int16_t STime = 0;
    std::string StartTime;
    std::string EndTime;
    std::string IP;
    std::string Mask;
    std::string Port;
    std::int16_t RAS = 0;
    std::int16_t UseNumber = 0;
    std::int16_t End = 0;
    std::int16_t EndType1 = 0;
    std::int16_t EndType2 = 0;
    std::int16_t EndType3 = 0;
    std::int16_t EndType4 = 0;
    std::int16_t EndType5 = 0;
    std::int16_t SEnd = 0;
    std::int16_t IspType1 = 0;
    std::int16_t IspType2 = 0;
    std::int16_t IspType3 = 0;
    std::int16_t RasType1 = 0;
};

// Registered programs 1 to 5 are elements 0 to 4 of the numbered arrays.
struct ConnectionStartKeys {
    std::int16_t Start = 0;
    std::int16_t End = 0;
    std::int16_t TerehoStart = 0;
    std::int16_t Time = 0;
    std::array<std::int16_t, 5> CStartDirData{};
    std::array<std::string, 5> StartDirData;
    std::array<std::string, 5> StartOptData;
    std::int16_t GoStart = 0;
    std::int16_t GoEnd = 0;
    std::int16_t StartMunDisp = 0;
    std::int16_t FTP = 0;
    std::int16_t TerehoStartFTP = 0;
    std::string FTPName;
    std::string FTPPassword; // the plain password; the file holds its encoded form
    std::string FTPHOST;
    std::string FTPll;
    std::string FTPPORT;
    std::string FTPFileName;
    std::string FTPFontColor; // "&H00BBGGRR" or decimal; see colour_value.h
    std::string FTPBackColor;
    std::int16_t FTPGotoIpPage = 0;
    std::int16_t FTPAutoGoto = 0;
    // 1: the upload insists on explicit TLS with a verified server certificate. Stored only
    // when not 0, so that the file of a user who never sets it stays as it was.
    std::int16_t FTPTLS = 0;
};

struct WatchKeys {
    std::int16_t Watch = 0;
    std::int16_t TerehoSts = 0;
    std::int16_t WatchTime = 0;
    std::int16_t WatchAutoStart = 0;
    std::int16_t Watch2 = 0;
    std::int16_t TerehoSts2 = 0;
    std::int16_t WatchTime2 = 0;
    std::int16_t NTPIndex = 0;
    std::int16_t WatchTime3 = 0;
    std::int16_t Zisa = 0;
    std::int16_t AboutWatch = 0;
    std::int16_t AboutWatchTime = 0;
    std::int16_t CorvastineWatch = 0;
    std::int16_t CorvastineWatchTime = 0;
};

struct PopMunKeys {
    std::int16_t Start = 0;
    std::int16_t GetIP = 0;
    std::int16_t IPFTP = 0;
    std::int16_t GetLocalIP = 0;
    std::int16_t LocalIPFTP = 0;
    std::int16_t Monitor = 0;
    std::int16_t About = 0;
    std::int16_t Help = 0;
    std::int16_t MGetIP = 0;
    std::int16_t MLocalIPFTP = 0;
};

struct OtherKeys {
    std::int16_t LOG = 0;
    std::int16_t Hyouzi = 0;
    std::int16_t TopDisp1 = 0;
    std::int16_t TopDisp2 = 0;
    std::int16_t MonitorAutoSave = 0;
    std::int32_t MonitorPoint1 = 0; // left, twips
    std::int32_t MonitorPoint2 = 0; // top
    std::int32_t MonitorPoint3 = 0; // width
    std::int32_t MonitorPoint4 = 0; // height
    std::int16_t MonitorKakushi = 0;
    std::int16_t MonitorMaxNewSort = 0;
    std::int16_t MonitorPoint = 0;
    std::int16_t MonitorType1 = 0;
    std::int16_t MonitorType2 = 0;
    std::int16_t MonitorType3 = 0;
};

// A visitor has int16(name, field, default), int32(name, field, default),
// text(name, field, default), password(name, field) and sparseInt16(name, field): a key of
// later versions that is stored only while it is not 0, and reads as 0 when missing.

template <class Visitor> void visitKeys(StandardKeys &k, Visitor &v) {
    v.text("Count", k.Count, "1");
    v.int16("AutoStart", k.AutoStart, 1);
    v.int16("STime", k.STime, 3);
    v.text("StartTime", k.StartTime, "2300");
    v.text("EndTime", k.EndTime, "0755");
    v.text("IP", k.IP, "0.0.0.0");
    v.text("Mask", k.Mask, "255.255.255.0");
    v.text("Port", k.Port, "0");
    v.int16("RAS", k.RAS, 0);
    v.int16("UseNumber", k.UseNumber, 0);
    v.int16("End", k.End, 0);
    v.int16("EndType1", k.EndType1, -1);
    v.int16("EndType2", k.EndType2, 0);
    v.int16("EndType3", k.EndType3, 0);
    v.int16("EndType4", k.EndType4, 0);
    v.int16("EndType5", k.EndType5, 0);
    v.int16("SEnd", k.SEnd, 0);
    v.int16("IspType1", k.IspType1, -1);
    v.int16("IspType2", k.IspType2, 0);
    v.int16("IspType3", k.IspType3, 0);
    v.int16("RasType1", k.RasType1, 0);
}

// `programFolder` is the default of the registered programs' paths.
template <class Visitor>
void visitKeys(ConnectionStartKeys &k, Visitor &v, std::string_view programFolder) {
    static constexpr std::array<std::string_view, 5> kEnabled = {
        "CStartDirData1", "CStartDirData2", "CStartDirData3", "CStartDirData4", "CStartDirData5"};
    static constexpr std::array<std::string_view, 5> kPath = {
        "StartDirData1", "StartDirData2", "StartDirData3", "StartDirData4", "StartDirData5"};
    static constexpr std::array<std::string_view, 5> kOptions = {
        "StartOptData1", "StartOptData2", "StartOptData3", "StartOptData4", "StartOptData5"};
    v.int16("Start", k.Start, 1);
    v.int16("End", k.End, 0);
    v.int16("TerehoStart", k.TerehoStart, 0);
    v.int16("Time", k.Time, 0);
    for (std::size_t i = 0; i < 5; ++i)
        v.int16(kEnabled[i], k.CStartDirData[i], 0);
    for (std::size_t i = 0; i < 5; ++i)
        v.text(kPath[i], k.StartDirData[i], programFolder);
    for (std::size_t i = 0; i < 5; ++i)
        v.text(kOptions[i], k.StartOptData[i], "");
    v.int16("GoStart", k.GoStart, 0);
    v.int16("GoEnd", k.GoEnd, 0);
    v.int16("StartMunDisp", k.StartMunDisp, 0);
    v.int16("FTP", k.FTP, 0);
    v.int16("TerehoStartFTP", k.TerehoStartFTP, 1);
    v.text("FTPName", k.FTPName, "");
    v.password("FTPPassword", k.FTPPassword);
    v.text("FTPHOST", k.FTPHOST, "");
    v.text("FTPll", k.FTPll, "");
    v.text("FTPPORT", k.FTPPORT, "21");
    v.text("FTPFileName", k.FTPFileName, "IPData.html");
    v.text("FTPFontColor", k.FTPFontColor, "&H00FFFFFF");
    v.text("FTPBackColor", k.FTPBackColor, "&H00000000");
    v.int16("FTPGotoIpPage", k.FTPGotoIpPage, 0);
    v.int16("FTPAutoGoto", k.FTPAutoGoto, 0);
    v.sparseInt16("FTPTLS", k.FTPTLS);
}

template <class Visitor> void visitKeys(WatchKeys &k, Visitor &v) {
    v.int16("Watch", k.Watch, 0);
    v.int16("TerehoSts", k.TerehoSts, 0);
    v.int16("WatchTime", k.WatchTime, 600);
    v.int16("WatchAutoStart", k.WatchAutoStart, 0);
    v.int16("Watch2", k.Watch2, 0);
    v.int16("TerehoSts2", k.TerehoSts2, 0);
    v.int16("WatchTime2", k.WatchTime2, 600);
    v.int16("NTPIndex", k.NTPIndex, 0);
    v.int16("WatchTime3", k.WatchTime3, 10);
    v.int16("Zisa", k.Zisa, 9);
    v.int16("AboutWatch", k.AboutWatch, 0);
    v.int16("AboutWatchTime", k.AboutWatchTime, 30);
    v.int16("CorvastineWatch", k.CorvastineWatch, 0);
    v.int16("CorvastineWatchTime", k.CorvastineWatchTime, 30);
}

template <class Visitor> void visitKeys(PopMunKeys &k, Visitor &v) {
    v.int16("Start", k.Start, 1);
    v.int16("GetIP", k.GetIP, 1);
    v.int16("IPFTP", k.IPFTP, 1);
    v.int16("GetLocalIP", k.GetLocalIP, 0);
    v.int16("LocalIPFTP", k.LocalIPFTP, 0);
    v.int16("Monitor", k.Monitor, 0);
    v.int16("About", k.About, 1);
    v.int16("Help", k.Help, 1);
    v.int16("MGetIP", k.MGetIP, 1);
    v.int16("MLocalIPFTP", k.MLocalIPFTP, 0);
}

template <class Visitor> void visitKeys(OtherKeys &k, Visitor &v) {
    v.int16("LOG", k.LOG, 0);
    v.int16("Hyouzi", k.Hyouzi, 0);
    v.int16("TopDisp1", k.TopDisp1, 0);
    v.int16("TopDisp2", k.TopDisp2, 1);
    v.int16("MonitorAutoSave", k.MonitorAutoSave, 0);
    v.int32("MonitorPoint1", k.MonitorPoint1, 0);
    v.int32("MonitorPoint2", k.MonitorPoint2, 0);
    v.int32("MonitorPoint3", k.MonitorPoint3, 6000);
    v.int32("MonitorPoint4", k.MonitorPoint4, 1500);
    v.int16("MonitorKakushi", k.MonitorKakushi, 0);
    v.int16("MonitorMaxNewSort", k.MonitorMaxNewSort, 1);
    v.int16("MonitorPoint", k.MonitorPoint, 80);
    v.int16("MonitorType1", k.MonitorType1, -1);
    v.int16("MonitorType2", k.MonitorType2, 0);
    v.int16("MonitorType3", k.MonitorType3, 0);
}

} // namespace tarvo::settings
