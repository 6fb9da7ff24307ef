#include "mainwindowfixture.h"

#include "mediaboard/devicepages.h"
#include "mediaboard/hexfields.h"
#include "mediaboard/mediaboard.h"
#include "mediaboard/modbusregisterpage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

// The media board's pages as built: every control, caption, hint and list
// item against the tables below. One window serves all rows; a row that
// changes a control puts it back.
namespace {

// The list items as the media board defines them: field, position, text, byte.
struct ItemRow
{
    const char *field;
    int index;
    const char *text;
    int byte;
};
const ItemRow kItems[] = {
        {"cbModbusRemote0", 0, "0xFF = 預設 VOD2", 0xFF},
        {"cbModbusRemote0", 1, "VOD2(大陸第二隻) = 00", 0x00},
        {"cbModbusRemote0", 2, "ZAVO(泛宜) = 01", 0x01},
        {"cbModbusRemote0", 3, "ZefraXYHCO(西歐) = 02", 0x02},
        {"cbModbusRemote0", 4, "VOD1(大陸第一隻) = 03", 0x03},
        {"cbModbusRemote0", 5, "Wegoty(禾聯電視碼) = 04", 0x04},
        {"cbModbusRemote0", 6, "Zefra(Zefra自製) = 05", 0x05},
        {"cbModbusRemote0", 7, "RC380S(格雷) = 06", 0x06},
        {"cbModbusRemote1", 0, "0xFF = 預設 vod", 0xFF},
        {"cbModbusRemote1", 1, "TV = 00", 0x00},
        {"cbModbusRemote1", 2, "VOD = 01", 0x01},
        {"cbModbusRemote1", 3, "AMP = 02", 0x02},
        {"cbModbusRemote1", 4, "DVD = 03", 0x03},
        {"cbModbusRemote1", 5, "STB = 04", 0x04},
        {"cbModbusRemote1", 6, "KTV = 05", 0x05},
        {"cbModbusRemote1", 7, "AIR = 06", 0x06},
        {"cbModbusRemote1", 8, "保留原輸入 = 07(IRD_NO)", 0x07},
        {"cbModbusRemote2", 0, "0xFF = 預設  TV", 0xFF},
        {"cbModbusRemote2", 1, "AMP = 00", 0x00},
        {"cbModbusRemote2", 2, "TV  =    01", 0x01},
        {"cbModbusRemote2", 3, "DVD = 02", 0x02},
        {"cbModbusRemote3", 0, "0xFF = 預設 F8", 0xFF},
        {"cbModbusRemote3", 1, "F8", 0xF8},
        {"cbModbusRemote3", 2, "F9", 0xF9},
        {"cbModbusRemote3", 3, "FA", 0xFA},
        {"cbModbusRemote3", 4, "FB", 0xFB},
        {"cbModbusRemote5", 0, "0xFF = 預設 vod", 0xFF},
        {"cbModbusRemote5", 1, "TV = 00", 0x00},
        {"cbModbusRemote5", 2, "VOD = 01", 0x01},
        {"cbModbusRemote5", 3, "AMP = 02", 0x02},
        {"cbModbusRemote5", 4, "DVD = 03", 0x03},
        {"cbModbusRemote5", 5, "STB = 04", 0x04},
        {"cbModbusRemote5", 6, "KTV = 05", 0x05},
        {"cbModbusTV0", 0, "0xFF = 預設  Heran+C1", 0xFF},
        {"cbModbusTV0", 1, "ZefraXYTV = 00", 0x00},
        {"cbModbusTV0", 2, "Heran = 01", 0x01},
        {"cbModbusTV0", 3, "Panasonic = 02", 0x02},
        {"cbModbusTV0", 4, "Sampo = 03", 0x03},
        {"cbModbusTV0", 5, "LG = 04", 0x04},
        {"cbModbusTV0", 6, "Benq = 05", 0x05},
        {"cbModbusTV0", 7, "SONY = 06 ATV250", 0x06},
        {"cbModbusTV0", 8, "SONYLED = 07 ATV1D0", 0x07},
        {"cbModbusTV0", 9, "Teco  = 08", 0x08},
        {"cbModbusTV0", 10, "Sharp = 09", 0x09},
        {"cbModbusTV1", 0, "0xFF = 預設  00", 0xFF},
        {"cbModbusTV1", 1, "IR1   =00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusTV1", 2, "IR2   =01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusTV1", 3, "IR3   =02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusTV1", 4, "IR4   =03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusTV1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusTV1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusTV1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusTV1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusTV2", 0, "0xFF = 預設  ATV", 0xFF},
        {"cbModbusTV2", 1, "Sources = 34", 0x34},
        {"cbModbusTV2", 2, "PC =        80", 0x80},
        {"cbModbusTV2", 3, "HDMI=    81", 0x81},
        {"cbModbusTV2", 4, "HDMI2=  82", 0x82},
        {"cbModbusTV2", 5, "HDMI3=  83", 0x83},
        {"cbModbusTV2", 6, "HDMI4=  84", 0x84},
        {"cbModbusTV2", 7, "ATV =     87", 0x87},
        {"cbModbusTV2", 8, "DTV=      88", 0x88},
        {"cbModbusTV2", 9, "AV1=      89", 0x89},
        {"cbModbusTV2", 10, "AV2 =     8A", 0x8A},
        {"cbModbusTV2", 11, "COMPONENT1 = 8D", 0x8D},
        {"cbModbusTV2", 12, "COMPONENT2 = 8E", 0x8E},
        {"cbModbusTV2", 13, "DVI1 =    90", 0x90},
        {"cbModbusTV2", 14, "DVI2 =    91", 0x91},
        {"cbModbusVOD0", 0, "0xFF = 預設 ?VOD2", 0xFF},
        {"cbModbusVOD0", 1, "大陸機上盒 = 00", 0x00},
        {"cbModbusVOD0", 2, "PINE64 ?= 01", 0x01},
        {"cbModbusVOD1", 0, "0xFF = 預設  05", 0xFF},
        {"cbModbusVOD1", 1, "IR1   = 00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusVOD1", 2, "IR2   = 01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusVOD1", 3, "IR3   = 02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusVOD1", 4, "IR4   = 03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusVOD1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusVOD1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusVOD1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusVOD1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusVOD1", 9, "", 0x08},
        {"cbModbusVOD2", 0, "0xFF = 預設  HDMI", 0xFF},
        {"cbModbusVOD2", 1, "Sources = 34", 0x34},
        {"cbModbusVOD2", 2, "PC =        80", 0x80},
        {"cbModbusVOD2", 3, "HDMI=    81", 0x81},
        {"cbModbusVOD2", 4, "HDMI2=  82", 0x82},
        {"cbModbusVOD2", 5, "HDMI3=  83", 0x83},
        {"cbModbusVOD2", 6, "HDMI4=  84", 0x84},
        {"cbModbusVOD2", 7, "ATV =      87", 0x87},
        {"cbModbusVOD2", 8, "DTV=       88", 0x88},
        {"cbModbusVOD2", 9, "AV1=       89", 0x89},
        {"cbModbusVOD2", 10, "AV2 =      8A", 0x8A},
        {"cbModbusVOD2", 11, "COMPONENT1 =  8D", 0x8D},
        {"cbModbusVOD2", 12, "COMPONENT2 =  8E", 0x8E},
        {"cbModbusVOD2", 13, "DVI1 =     90", 0x90},
        {"cbModbusVOD2", 14, "DVI2 =     91", 0x91},
        {"cbModbusAMP0", 0, "0xFF = 預設 ?VOD2", 0xFF},
        {"cbModbusAMP0", 1, "大陸機上盒 = 00", 0x00},
        {"cbModbusAMP0", 2, "PINE64 ?= 01", 0x01},
        {"cbModbusAMP1", 0, "0xFF = 預設  05", 0xFF},
        {"cbModbusAMP1", 1, "IR1   = 00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusAMP1", 2, "IR2   = 01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusAMP1", 3, "IR3   = 02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusAMP1", 4, "IR4   = 03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusAMP1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusAMP1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusAMP1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusAMP1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusAMP1", 9, "", 0x08},
        {"cbModbusAMP2", 0, "0xFF = 預設  HDMI", 0xFF},
        {"cbModbusAMP2", 1, "Sources = 34", 0x34},
        {"cbModbusAMP2", 2, "PC =        80", 0x80},
        {"cbModbusAMP2", 3, "HDMI=    81", 0x81},
        {"cbModbusAMP2", 4, "HDMI2=  82", 0x82},
        {"cbModbusAMP2", 5, "HDMI3=  83", 0x83},
        {"cbModbusAMP2", 6, "HDMI4=  84", 0x84},
        {"cbModbusAMP2", 7, "ATV =      87", 0x87},
        {"cbModbusAMP2", 8, "DTV=       88", 0x88},
        {"cbModbusAMP2", 9, "AV1=       89", 0x89},
        {"cbModbusAMP2", 10, "AV2 =      8A", 0x8A},
        {"cbModbusAMP2", 11, "COMPONENT1 =  8D", 0x8D},
        {"cbModbusAMP2", 12, "COMPONENT2 =  8E", 0x8E},
        {"cbModbusAMP2", 13, "DVI1 =     90", 0x90},
        {"cbModbusAMP2", 14, "DVI2 =     91", 0x91},
        {"cbModbusKTV0", 0, "0xFF = 預設 ?VOD2", 0xFF},
        {"cbModbusKTV0", 1, "大陸機上盒 = 00", 0x00},
        {"cbModbusKTV0", 2, "PINE64 ?= 01", 0x01},
        {"cbModbusKTV1", 0, "0xFF = 預設  05", 0xFF},
        {"cbModbusKTV1", 1, "IR1   = 00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusKTV1", 2, "IR2   = 01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusKTV1", 3, "IR3   = 02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusKTV1", 4, "IR4   = 03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusKTV1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusKTV1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusKTV1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusKTV1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusKTV1", 9, "", 0x08},
        {"cbModbusKTV2", 0, "0xFF = 預設  HDMI", 0xFF},
        {"cbModbusKTV2", 1, "Sources = 34", 0x34},
        {"cbModbusKTV2", 2, "PC =        80", 0x80},
        {"cbModbusKTV2", 3, "HDMI=    81", 0x81},
        {"cbModbusKTV2", 4, "HDMI2=  82", 0x82},
        {"cbModbusKTV2", 5, "HDMI3=  83", 0x83},
        {"cbModbusKTV2", 6, "HDMI4=  84", 0x84},
        {"cbModbusKTV2", 7, "ATV =      87", 0x87},
        {"cbModbusKTV2", 8, "DTV=       88", 0x88},
        {"cbModbusKTV2", 9, "AV1=       89", 0x89},
        {"cbModbusKTV2", 10, "AV2 =      8A", 0x8A},
        {"cbModbusKTV2", 11, "COMPONENT1 =  8D", 0x8D},
        {"cbModbusKTV2", 12, "COMPONENT2 =  8E", 0x8E},
        {"cbModbusKTV2", 13, "DVI1 =     90", 0x90},
        {"cbModbusKTV2", 14, "DVI2 =     91", 0x91},
        {"cbModbusDVD0", 0, "0xFF = 預設 ?VOD2", 0xFF},
        {"cbModbusDVD0", 1, "大陸機上盒 = 00", 0x00},
        {"cbModbusDVD0", 2, "PINE64 ?= 01", 0x01},
        {"cbModbusDVD1", 0, "0xFF = 預設  05", 0xFF},
        {"cbModbusDVD1", 1, "IR1   = 00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusDVD1", 2, "IR2   = 01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusDVD1", 3, "IR3   = 02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusDVD1", 4, "IR4   = 03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusDVD1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusDVD1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusDVD1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusDVD1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusDVD1", 9, "", 0x08},
        {"cbModbusDVD2", 0, "0xFF = 預設  HDMI", 0xFF},
        {"cbModbusDVD2", 1, "Sources = 34", 0x34},
        {"cbModbusDVD2", 2, "PC =        80", 0x80},
        {"cbModbusDVD2", 3, "HDMI=    81", 0x81},
        {"cbModbusDVD2", 4, "HDMI2=  82", 0x82},
        {"cbModbusDVD2", 5, "HDMI3=  83", 0x83},
        {"cbModbusDVD2", 6, "HDMI4=  84", 0x84},
        {"cbModbusDVD2", 7, "ATV =      87", 0x87},
        {"cbModbusDVD2", 8, "DTV=       88", 0x88},
        {"cbModbusDVD2", 9, "AV1=       89", 0x89},
        {"cbModbusDVD2", 10, "AV2 =      8A", 0x8A},
        {"cbModbusDVD2", 11, "COMPONENT1 =  8D", 0x8D},
        {"cbModbusDVD2", 12, "COMPONENT2 =  8E", 0x8E},
        {"cbModbusDVD2", 13, "DVI1 =     90", 0x90},
        {"cbModbusDVD2", 14, "DVI2 =     91", 0x91},
        {"cbModbusSTB0", 0, "0xFF = 預設 ?VOD2", 0xFF},
        {"cbModbusSTB0", 1, "大陸機上盒 = 00", 0x00},
        {"cbModbusSTB0", 2, "PINE64 ?= 01", 0x01},
        {"cbModbusSTB1", 0, "0xFF = 預設  05", 0xFF},
        {"cbModbusSTB1", 1, "IR1   = 00 Enable  關 Bit2 = 0", 0x00},
        {"cbModbusSTB1", 2, "IR2   = 01 Enable  關 Bit2 = 0", 0x01},
        {"cbModbusSTB1", 3, "IR3   = 02 Enable  關 Bit2 = 0", 0x02},
        {"cbModbusSTB1", 4, "IR4   = 03 Enable  關 Bit2 = 0", 0x03},
        {"cbModbusSTB1", 5, "IR1   = 04 Enable  開 Bit2 = 1", 0x04},
        {"cbModbusSTB1", 6, "IR2   = 05 Enable  開 Bit2 = 1", 0x05},
        {"cbModbusSTB1", 7, "IR3   = 06 Enable  開 Bit2 = 1", 0x06},
        {"cbModbusSTB1", 8, "IR4   = 07 Enable  開 Bit2 = 1", 0x07},
        {"cbModbusSTB1", 9, "", 0x08},
        {"cbModbusSTB2", 0, "0xFF = 預設  HDMI", 0xFF},
        {"cbModbusSTB2", 1, "Sources = 34", 0x34},
        {"cbModbusSTB2", 2, "PC =        80", 0x80},
        {"cbModbusSTB2", 3, "HDMI=    81", 0x81},
        {"cbModbusSTB2", 4, "HDMI2=  82", 0x82},
        {"cbModbusSTB2", 5, "HDMI3=  83", 0x83},
        {"cbModbusSTB2", 6, "HDMI4=  84", 0x84},
        {"cbModbusSTB2", 7, "ATV =      87", 0x87},
        {"cbModbusSTB2", 8, "DTV=       88", 0x88},
        {"cbModbusSTB2", 9, "AV1=       89", 0x89},
        {"cbModbusSTB2", 10, "AV2 =      8A", 0x8A},
        {"cbModbusSTB2", 11, "COMPONENT1 =  8D", 0x8D},
        {"cbModbusSTB2", 12, "COMPONENT2 =  8E", 0x8E},
        {"cbModbusSTB2", 13, "DVI1 =     90", 0x90},
        {"cbModbusSTB2", 14, "DVI2 =     91", 0x91},
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

struct HintRow
{
    const char *field;
    const char *caption;
    const char *captionHint;
    const char *fieldHint; // nullptr: the field shows none
};
const HintRow kHints[] = {
        {"cbModbusRemote0", "遙控器設備名稱", kHintA, kHintA},
        {"cbModbusRemote1", "power on 設備", kHintB, kHintB},
        {"cbModbusRemote2", "聲音輸出設備控制", kHintC, kHintC},
        {"cbModbusRemote3", "VOD ID設定", kHintD, kHintD},
        {"edModbusRemote4", "設定TV Input Delay", kHintE, nullptr},
        {"cbModbusRemote5", "設定Reset  設備", kHintF, kHintF},
        {"edModbusRemote6", "設定Relay Reset Time", kHintG, nullptr},
        {"cbModbusTV0", "設備名稱", kHintH, kHintH},
        {"cbModbusTV1", "IR輸出 Enable", kHintI, kHintI},
        {"cbModbusTV2", "TV Source", kHintJ, kHintJ},
        {"edModbusTV3", "送出前Delay(ms)", kHintK, kHintK},
        {"edModbusTV4", "用訊號源跳的次數", kHintL, kHintM},
        {"edModbusTV5", "訊號源Delay(10ms倍數)", kHintN, kHintN},
        {"cbModbusVOD0", "設備名稱", kHintO, kHintO},
        {"cbModbusVOD1", "IR輸出 Enable", kHintP, kHintP},
        {"cbModbusVOD2", "TV Source", kHintQ, kHintQ},
        {"edModbusVOD3", "送出前Delay(ms)", kHintR, kHintR},
        {"edModbusVOD4", "用訊號源跳的次數", kHintS, kHintS},
        {"edModbusVOD5", "訊號源Delay(10ms倍數)", kHintT, kHintT},
        {"cbModbusAMP0", "設備名稱", kHintO, kHintO},
        {"cbModbusAMP1", "IR輸出 Enable", kHintP, kHintP},
        {"cbModbusAMP2", "TV Source", kHintQ, kHintQ},
        {"edModbusAMP3", "送出前Delay(ms)", kHintR, kHintR},
        {"edModbusAMP4", "用訊號源跳的次數", kHintS, kHintS},
        {"edModbusAMP5", "訊號源Delay(10ms倍數)", kHintT, kHintT},
        {"cbModbusKTV0", "設備名稱", kHintO, kHintO},
        {"cbModbusKTV1", "IR輸出 Enable", kHintP, kHintP},
        {"cbModbusKTV2", "TV Source", kHintQ, kHintQ},
        {"edModbusKTV3", "送出前Delay(ms)", kHintR, kHintR},
        {"edModbusKTV4", "用訊號源跳的次數", kHintS, kHintS},
        {"edModbusKTV5", "訊號源Delay(10ms倍數)", kHintT, kHintT},
        {"cbModbusDVD0", "設備名稱", kHintO, kHintO},
        {"cbModbusDVD1", "IR輸出 Enable", kHintP, kHintP},
        {"cbModbusDVD2", "TV Source", kHintQ, kHintQ},
        {"edModbusDVD3", "送出前Delay(ms)", kHintR, kHintR},
        {"edModbusDVD4", "用訊號源跳的次數", kHintS, kHintS},
        {"edModbusDVD5", "訊號源Delay(10ms倍數)", kHintT, kHintT},
        {"cbModbusSTB0", "設備名稱", kHintO, kHintO},
        {"cbModbusSTB1", "IR輸出 Enable", kHintP, kHintP},
        {"cbModbusSTB2", "TV Source", kHintQ, kHintQ},
        {"edModbusSTB3", "送出前Delay(ms)", kHintR, kHintR},
        {"edModbusSTB4", "用訊號源跳的次數", kHintS, kHintS},
        {"edModbusSTB5", "訊號源Delay(10ms倍數)", kHintT, kHintT},

};

} // namespace

class TestMediaBoardTables : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> fx;

    ModbusRegisterPage &registers() { return fx->form().mediaBoard().registers(); }
    DevicePages &devices() { return fx->form().mediaBoard().devices(); }
    QTabWidget *pgModbus() const { return fx->find<QTabWidget>(QStringLiteral("pgModbus")); }
    template <typename T>
    T *named(const QString &name) const
    {
        T *widget = fx->find<T>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    HexEdit *edit(const QString &name) const { return named<HexEdit>(name); }

private slots:
    void initTestCase()
    {
        fx = std::make_unique<MainWindowFixture>();
        fx->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx->form()));
    }
    void cleanupTestCase() { fx.reset(); }

    void registerPageStartsWithItsRows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data0");
        QTest::addColumn<QString>("data1");
        QTest::addRow("row 0") << 0 << "2000" << "000101FF" << "FFFFFFFF";
        QTest::addRow("row 1") << 1 << "2010" << "010087FF" << "FFFFFFFF";
        QTest::addRow("row 2") << 2 << "2020" << "000581FF" << "FFFFFFFF";
        QTest::addRow("row 3") << 3 << "2030" << "0001FFFF" << "FFFFFFFF";
        QTest::addRow("row 4") << 4 << "2040" << "FF0289FF" << "FFFFFFFF";
        QTest::addRow("row 5, no row for 2050") << 5 << "2060" << "000534FF" << "FFFFFFFF";
    }

    void registerPageStartsWithItsRows()
    {
        QFETCH(int, row);
        QFETCH(QString, address);
        QFETCH(QString, data0);
        QFETCH(QString, data1);
        QCOMPARE(edit(QStringLiteral("edModbusId%1").arg(row))->text(), QStringLiteral("f8"));
        QCOMPARE(edit(QStringLiteral("edModbusAddress%1").arg(row))->text(), address);
        QCOMPARE(edit(QStringLiteral("edModbusData%1%2").arg(row).arg(0))->text(), data0);
        QCOMPARE(edit(QStringLiteral("edModbusData%1%2").arg(row).arg(1))->text(), data1);
        for (int c = 0; c < 2; ++c) {
            auto *send = named<QPushButton>(QStringLiteral("btnSendModbus%1%2").arg(row).arg(c));
            auto *read = named<QPushButton>(QStringLiteral("btnReadModbus%1%2").arg(row).arg(c));
            QCOMPARE(send->text(), QStringLiteral("送出"));
            QCOMPARE(read->text(), QStringLiteral("讀取"));
            QCOMPARE(send->property("tag").toInt(), 10 * row + c);
            QCOMPARE(read->property("tag").toInt(), 10 * row + c);
        }
    }

    void registerPageHeadersAndTabs()
    {
        QStringList headers;
        for (QLabel *label : registers().sheet()->findChildren<QLabel *>())
            headers.append(label->text());
        QCOMPARE(headers, QStringList({"ID", "Address", "Data", "Address + 4"}));
        QStringList tabs;
        for (int i = 0; i < pgModbus()->count(); ++i)
            tabs.append(pgModbus()->tabText(i));
        QCOMPARE(tabs, QStringList({"主頁", "遙控器", "TV", "VOD", "AMP", "KTV", "DVD", "機上盒", "特例"}));
        QCOMPARE(pgModbus()->widget(0)->objectName(), QStringLiteral("tsModbusMain"));
        QVERIFY(named<QWidget>(QStringLiteral("tsModbusOthers"))->findChildren<QWidget *>().isEmpty());
    }

    void listItemsAndBytes_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte");
        for (const ItemRow &row : kItems)
            QTest::addRow("%s item %d %02X", row.field, row.index, row.byte)
                << QString::fromLatin1(row.field) << row.index << QString::fromUtf8(row.text) << row.byte;
    }

    void listItemsAndBytes()
    {
        QFETCH(QString, field);
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(int, byte);
        auto *list = named<QComboBox>(field);
        QVERIFY(index < list->count());
        QCOMPARE(list->itemText(index), text);
        list->setCurrentIndex(index);
        const int tag = named<QPushButton>(QStringLiteral("btnModbus%1OK").arg(field.mid(8, field.size() - 9)))->property("tag").toInt();
        QCOMPARE(int(devices().fieldByte(tag, field.right(1).toInt())), byte);
        list->setCurrentIndex(-1);
    }

    void listsHoldNoOtherItems()
    {
        QMap<QString, int> counts;
        for (const ItemRow &row : kItems)
            counts[QString::fromLatin1(row.field)]++;
        QCOMPARE(counts.size(), 5 + 3 + 5 * 3);
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            auto *list = named<QComboBox>(it.key());
            QCOMPARE(list->count(), it.value());
            QVERIFY2(!list->isEditable(), qPrintable(it.key()));
            QCOMPARE(list->currentIndex(), -1);
        }
    }

    void captionsAndHints_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("captionHint");
        QTest::addColumn<QString>("fieldHint");
        for (const HintRow &row : kHints)
            QTest::addRow("%s", row.field) << QString::fromLatin1(row.field) << QString::fromUtf8(row.caption)
                                           << QString::fromUtf8(row.captionHint)
                                           << (row.fieldHint ? QString::fromUtf8(row.fieldHint) : QString());
    }

    void captionsAndHints()
    {
        QFETCH(QString, field);
        QFETCH(QString, caption);
        QFETCH(QString, captionHint);
        QFETCH(QString, fieldHint);
        auto *control = named<QWidget>(field);
        QLabel *label = nullptr;
        for (QLabel *l : control->window()->findChildren<QLabel *>())
            if (l->buddy() == control)
                label = l;
        QVERIFY(label);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->toolTip(), captionHint);
        QCOMPARE(control->toolTip(), fieldHint);
        if (field.startsWith(QLatin1String("ed"))) {
            auto *spinField = qobject_cast<HexSpinBox *>(control);
            QVERIFY(spinField);
            QCOMPARE(spinField->value(), 0xFF);
            QCOMPARE(spinField->text(), QStringLiteral("FF"));
            QCOMPARE(spinField->minimum(), 0);
            QCOMPARE(spinField->maximum(), 0xFF);
        }
    }

    void pageButtons_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("tag");
        QTest::addRow("遙控器") << "Remote" << 0;
        QTest::addRow("TV") << "TV" << 1;
        QTest::addRow("VOD") << "VOD" << 2;
        QTest::addRow("AMP") << "AMP" << 3;
        QTest::addRow("KTV") << "KTV" << 4;
        QTest::addRow("DVD") << "DVD" << 5;
        QTest::addRow("機上盒") << "STB" << 6;
    }

    void pageButtons()
    {
        QFETCH(QString, word);
        QFETCH(int, tag);
        const QStringList captions{"確認", "讀入", "預設值"};
        const QStringList roles{"OK", "Read", "Reset"};
        QWidget *sheet = named<QWidget>(QStringLiteral("tsModbus") + word);
        QList<QPushButton *> buttons = sheet->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 3);
        for (int i = 0; i < 3; ++i) {
            auto *b = named<QPushButton>(QStringLiteral("btnModbus%1%2").arg(word, roles[i]));
            QCOMPARE(b->text(), captions[i]);
            QCOMPARE(b->property("tag").toInt(), tag);
            QCOMPARE(b->window(), &fx->form());
        }
        // Left to right at the bottom right of the page.
        pgModbus()->setCurrentWidget(sheet);
        const auto *ok = named<QPushButton>(QStringLiteral("btnModbus%1OK").arg(word));
        const auto *read = named<QPushButton>(QStringLiteral("btnModbus%1Read").arg(word));
        const auto *reset = named<QPushButton>(QStringLiteral("btnModbus%1Reset").arg(word));
        QVERIFY(ok->x() < read->x() && read->x() < reset->x());
        QVERIFY(reset->geometry().right() > sheet->width() / 2);
    }

};

QTEST_MAIN(TestMediaBoardTables)
#include "tst_mediaboard_tables.moc"
