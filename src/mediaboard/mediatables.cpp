#include "mediaboard/mediatables.h"

namespace {

// Item texts keep their spacing exactly: they are what the technician reads
// against the board's documentation. Hints break their lines with \n.

const std::vector<ListItem> kRemoteType = {
    {"0xFF = 預設 VOD2", 0xFF},
    {"VOD2(大陸第二隻) = 00", 0x00},
    {"ZAVO(泛宜) = 01", 0x01},
    {"ZefraXYHCO(西歐) = 02", 0x02},
    {"VOD1(大陸第一隻) = 03", 0x03},
    {"Wegoty(禾聯電視碼) = 04", 0x04},
    {"Zefra(Zefra自製) = 05", 0x05},
    {"RC380S(格雷) = 06", 0x06},
};

const std::vector<ListItem> kPowerOnDevice = {
    {"0xFF = 預設 vod", 0xFF},
    {"TV = 00", 0x00},
    {"VOD = 01", 0x01},
    {"AMP = 02", 0x02},
    {"DVD = 03", 0x03},
    {"STB = 04", 0x04},
    {"KTV = 05", 0x05},
    {"AIR = 06", 0x06},
    {"保留原輸入 = 07(IRD_NO)", 0x07},
};

const std::vector<ListItem> kAudioOutput = {
    {"0xFF = 預設  TV", 0xFF},
    {"AMP = 00", 0x00},
    {"TV  =    01", 0x01},
    {"DVD = 02", 0x02},
};

const std::vector<ListItem> kVodId = {
    {"0xFF = 預設 F8", 0xFF},
    {"F8", 0xF8},
    {"F9", 0xF9},
    {"FA", 0xFA},
    {"FB", 0xFB},
};

const std::vector<ListItem> kResetDevice = {
    {"0xFF = 預設 vod", 0xFF},
    {"TV = 00", 0x00},
    {"VOD = 01", 0x01},
    {"AMP = 02", 0x02},
    {"DVD = 03", 0x03},
    {"STB = 04", 0x04},
    {"KTV = 05", 0x05},
};

const std::vector<ListItem> kTvName = {
    {"0xFF = 預設  Heran+C1", 0xFF},
    {"ZefraXYTV = 00", 0x00},
    {"Heran = 01", 0x01},
    {"Panasonic = 02", 0x02},
    {"Sampo = 03", 0x03},
    {"LG = 04", 0x04},
    {"Benq = 05", 0x05},
    {"SONY = 06 ATV250", 0x06},
    {"SONYLED = 07 ATV1D0", 0x07},
    {"Teco  = 08", 0x08},
    {"Sharp = 09", 0x09},
};

const std::vector<ListItem> kTvIrOutput = {
    {"0xFF = 預設  00", 0xFF},
    {"IR1   =00 Enable  關 Bit2 = 0", 0x00},
    {"IR2   =01 Enable  關 Bit2 = 0", 0x01},
    {"IR3   =02 Enable  關 Bit2 = 0", 0x02},
    {"IR4   =03 Enable  關 Bit2 = 0", 0x03},
    {"IR1   = 04 Enable  開 Bit2 = 1", 0x04},
    {"IR2   = 05 Enable  開 Bit2 = 1", 0x05},
    {"IR3   = 06 Enable  開 Bit2 = 1", 0x06},
    {"IR4   = 07 Enable  開 Bit2 = 1", 0x07},
};

// The television's input to select.
const std::vector<ListItem> kTvSource = {
    {"0xFF = 預設  ATV", 0xFF},
    {"Sources = 34", 0x34},
    {"PC =        80", 0x80},
    {"HDMI=    81", 0x81},
    {"HDMI2=  82", 0x82},
    {"HDMI3=  83", 0x83},
    {"HDMI4=  84", 0x84},
    {"ATV =     87", 0x87},
    {"DTV=      88", 0x88},
    {"AV1=      89", 0x89},
    {"AV2 =     8A", 0x8A},
    {"COMPONENT1 = 8D", 0x8D},
    {"COMPONENT2 = 8E", 0x8E},
    {"DVI1 =    90", 0x90},
    {"DVI2 =    91", 0x91},
};

const std::vector<ListItem> kDeviceName = {
    {"0xFF = 預設 ?VOD2", 0xFF},
    {"大陸機上盒 = 00", 0x00},
    {"PINE64 ?= 01", 0x01},
};

// The tenth item, empty, stands for 08.
const std::vector<ListItem> kDeviceIrOutput = {
    {"0xFF = 預設  05", 0xFF},
    {"IR1   = 00 Enable  關 Bit2 = 0", 0x00},
    {"IR2   = 01 Enable  關 Bit2 = 0", 0x01},
    {"IR3   = 02 Enable  關 Bit2 = 0", 0x02},
    {"IR4   = 03 Enable  關 Bit2 = 0", 0x03},
    {"IR1   = 04 Enable  開 Bit2 = 1", 0x04},
    {"IR2   = 05 Enable  開 Bit2 = 1", 0x05},
    {"IR3   = 06 Enable  開 Bit2 = 1", 0x06},
    {"IR4   = 07 Enable  開 Bit2 = 1", 0x07},
    {"", 0x08},
};

const std::vector<ListItem> kDeviceSource = {
    {"0xFF = 預設  HDMI", 0xFF},
    {"Sources = 34", 0x34},
    {"PC =        80", 0x80},
    {"HDMI=    81", 0x81},
    {"HDMI2=  82", 0x82},
    {"HDMI3=  83", 0x83},
    {"HDMI4=  84", 0x84},
    {"ATV =      87", 0x87},
    {"DTV=       88", 0x88},
    {"AV1=       89", 0x89},
    {"AV2 =      8A", 0x8A},
    {"COMPONENT1 =  8D", 0x8D},
    {"COMPONENT2 =  8E", 0x8E},
    {"DVI1 =     90", 0x90},
    {"DVI2 =     91", 0x91},
};

const char *const kHintA = "搖控器類別\n範例：\n大陸第二隻\n數值 00";
const char *const kHintB = "電視開啟始畫面\n範例：\n電視打開在VOD畫面\n數值 01";
const char *const kHintC = "聲音控制輸出\n範例：\n聲音電視輸出\n數值 01";
const char *const kHintD = "預設F8";
const char *const kHintE = "100ms=0.1s\n範例：\n預設4秒\n4s/60ms=66\n4000/60=66(10進位)\n16進位=42\n數值 42";
const char *const kHintF = "0xFF = 預設 vod\nTV = 00\nVOD = 01\nAMP = 02\nDVD = 03\nSTB = 04\nKTV = 05";
const char *const kHintG = "0xFF = 預設不啟動\n0x00 = 不啟動\n0x01 ~ 0xFE\n幾分鐘啟動一次Reset\n0x01 = 1分鐘";
const char *const kHintH = "電視廠牌\n範例：\n禾聯電視\n數值 01";
const char *const kHintI = "0xFF = 預設  00\nEnable  開 Bit2 = 1\nIR1   = 04\nIR2   = 05\nIR3   = 06\nIR4   = 07\n\nEnable  關 Bit2 = 0\nIR1   =00\nIR2   =01\nIR3   =02\nIR4   =03\n\nIR1=TV\nIR2=AMP.VOD.STB\nIR3=DVD.其他\nIR4=目前沒用到\n範例1：\n啟用TV控制\n數值 04\n\n範例2：\n關閉TV控制\n數值 00";
const char *const kHintJ = "VGA=PC\nATV類比 DTV數位\nCOMPONENT色差\n範例：\nTV設定在ATV\n數值 87";
const char *const kHintK = "0xFF = 預設 TV_Delay\n1 ~ 254 (ms)\n0 為不延遲\n\n送出紅外線需等多長時間 發送資料\n\n10進位轉16進位\n範例：\n0.254秒\n數值 FE";
const char *const kHintL = "選擇訊號源需按的次數\n範例1：\n從【下鍵】跳起始畫面(ATV)→VOD要點4次\n數值 74\n\n範例2：\n從【訊號源】跳起始畫面(ATV)→VOD要點6次\n數值 66\n\n範例3：\n關閉TV訊號源\n數值FF";
const char *const kHintM = "選擇訊號源需按的次數\n\n0xFF = 預設  FF\nEnable  開 Bit7 = 0\nEnable  關 Bit7 = 1\n\nBit0 Bit1 Bit2 Bit3\n為次數 1 ~ 15次\n起始位置向下幾次\nBit4~Bit6\n0 = 用訊號源跳\n1 = 用下鍵跳\n2 = 用上鍵跳\n3 = 用左鍵跳\n4 = 用右鍵跳\nTV Source改為起始位置\n\n範例1：\n從【下鍵】跳起始畫面(ATV)→VOD要點4次\n數值 74\n\n範例2：\n從【訊號源】跳起始畫面(ATV)→VOD要點6次\n數值 66\n\n範例3：\n關閉TV訊號源\n數值FF";
const char *const kHintN = "0xFF = 預設 vod\nTV = 00\nVOD = 01\nAMP = 02\nDVD = 03\nSTB = 04\nKTV = 05\n\n選擇訊號源間隔秒數\n\n30ms切換訊號源\n10ms訊號源選單切換\n\n範例：\n切換訊號源3秒\n3s/30ms=100\n3000/30=100(10進位)\n16進位=64\n數值 64";
const char *const kHintO = "0xFF = 預設  VOD2\n大陸機上盒 = 00\nPINE64  = 01";
const char *const kHintP = "0xFF = 預設  00\nEnable  開 Bit2 = 1\nIR1   = 04\nIR2   = 05\nIR3   = 06\nIR4   = 07\n\nEnable  關 Bit2 = 0\nIR1   =00\nIR2   =01\nIR3   =02\nIR4   =03\n\nIR1=TV\nIR2=AMP.VOD.STB\nIR3=DVD.其他\nIR4=目前沒用到\n範例1：\n啟用VOD控制\n數值 05\n\n範例2：\n關閉VOD控制\n數值 01";
const char *const kHintQ = "VGA=PC\nATV類比 DTV數位\nCOMPONENT色差\n範例：\nVOD設定在HDMI1\n數值 81";
const char *const kHintR = "0xFF = 預設 TV_Delay\n1 ~ 254 (ms)\n0 為不延遲\n\n送出紅外線需等多長時間 發送資料\n\n10進位轉16進位\n範例：\n0.254秒\n數值 FE\n\n*常用區間 3x";
const char *const kHintS = "0xFF = 預設  FF\nEnable  開 Bit7 = 0\nEnable  關 Bit7 = 1\n\nBit0 Bit1 Bit2 Bit3\n為次數 1 ~ 15次\n起始位置向下幾次\nBit4~Bit6\n0 = 用訊號源跳\n1 = 用下鍵跳\n2 = 用上鍵跳\n3 = 用左鍵跳\n4 = 用右鍵跳\nTV Source改為起始位置\n\n選擇訊號源需按的次數\n範例1：\n從【下鍵】跳起始畫面(ATV)→VOD要點4次\n數值 74\n\n範例2：\n從【訊號源】跳起始畫面(ATV)→VOD要點6次\n數值 66\n\n範例3：\n關閉TV訊號源\n數值FF";
const char *const kHintT = "0xFF = 預設 10ms\n10ms X (1 ~ 254 )\n\n30ms\n\n選擇訊號源間隔秒數\n\n30ms切換訊號源\n10ms訊號源選單切換\n\n範例：\n切換訊號源3秒\n30ms/3s=100\n3000/30=100(10進位)\n16進位=64\n數值 64";

// The VOD, AMP, KTV, DVD and set-top-box pages are alike.
std::vector<FieldLayout> DeviceFields()
{
    return {
        {"設備名稱", kHintO, kHintO, kDeviceName},
        {"IR輸出 Enable", kHintP, kHintP, kDeviceIrOutput},
        {"TV Source", kHintQ, kHintQ, kDeviceSource},
        {"送出前Delay(ms)", kHintR, kHintR, {}},
        {"用訊號源跳的次數", kHintS, kHintS, {}},
        {"訊號源Delay(10ms倍數)", kHintT, kHintT, {}},
    };
}

std::vector<DevicePageLayout> BuildLayouts()
{
    std::vector<DevicePageLayout> pages;
    pages.push_back({"Remote", 0, 0,
                     {
                         {"遙控器設備名稱", kHintA, kHintA, kRemoteType},
                         {"power on 設備", kHintB, kHintB, kPowerOnDevice},
                         {"聲音輸出設備控制", kHintC, kHintC, kAudioOutput},
                         {"VOD ID設定", kHintD, kHintD, kVodId},
                         {"設定TV Input Delay", kHintE, nullptr, {}},
                         {"設定Reset  設備", kHintF, kHintF, kResetDevice},
                         {"設定Relay Reset Time", kHintG, nullptr, {}},
                     }});
    pages.push_back({"TV", 1, 1,
                     {
                         {"設備名稱", kHintH, kHintH, kTvName},
                         {"IR輸出 Enable", kHintI, kHintI, kTvIrOutput},
                         {"TV Source", kHintJ, kHintJ, kTvSource},
                         {"送出前Delay(ms)", kHintK, kHintK, {}},
                         {"用訊號源跳的次數", kHintL, kHintM, {}},
                         {"訊號源Delay(10ms倍數)", kHintN, kHintN, {}},
                     }});
    // DVD and the set-top box share the last row.
    const struct
    {
        const char *word;
        int tag;
        int row;
    } devices[] = {{"VOD", 2, 2}, {"AMP", 3, 3}, {"KTV", 4, 4}, {"DVD", 5, 5}, {"STB", 6, 5}};
    for (const auto &d : devices)
        pages.push_back({d.word, d.tag, d.row, DeviceFields()});
    return pages;
}

} // namespace

const std::vector<DevicePageLayout> &DevicePageLayouts()
{
    static const std::vector<DevicePageLayout> layouts = BuildLayouts();
    return layouts;
}
