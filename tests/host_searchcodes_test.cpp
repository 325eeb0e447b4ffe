// Pinyin initials as people read names: surnames of the table (compound ones
// matched whole), given-name characters read as in names, the rest by ICU.
#include <gtest/gtest.h>

#include <QString>

#include "SearchCodes.h"

namespace {

TEST(SearchCodes, PinyinInitialsReadNamesAsPeopleDo)
{
    const struct
    {
        const char *name;
        const char *initials;
    } cases[] = {
        // Surnames ICU reads otherwise, with the initials people use.
        {"覃海", "QH"}, {"尉明", "WM"}, {"尉迟恭", "YCG"}, {"万俟雅", "MQY"}, {"长孙无忌", "ZSWJ"},
        {"单于飞", "CYF"}, {"单伟", "SW"}, {"解放", "XF"}, {"仇军", "QJ"}, {"区华", "OH"},
        {"朴英", "PY"}, {"查明", "ZM"}, {"盖伟", "GW"}, {"缪杰", "MJ"}, {"种师道", "CSD"},
        {"曾强", "ZQ"}, {"翟刚", "ZG"}, {"乐平", "YP"}, {"召亮", "SL"}, {"华勇", "HY"},
        {"任杰", "RJ"}, {"纪红", "JH"}, {"员芳", "YF"}, {"秘丽", "BL"}, {"繁星", "PX"},
        {"折兰", "SL"}, {"隗峰", "WF"}, {"句龙", "GL"}, {"祭涛", "ZT"}, {"都斌", "DB"},
        {"黑雪", "HX"}, {"薄熙", "BX"}, {"藏青", "ZQ"}, {"长青", "CQ"}, {"阚磊", "KL"},
        {"佴东", "ND"}, {"能静", "NJ"}, {"冼敏", "XM"}, {"乜红", "NH"},
        // Compound surnames, matched before their first character alone.
        {"欧阳修", "OYX"}, {"司马光", "SMG"}, {"诸葛亮", "ZGL"}, {"上官婉儿", "SGWE"}, {"皇甫嵩", "HFS"},
        {"令狐冲", "LHC"}, {"公孙胜", "GSS"}, {"慕容复", "MRF"}, {"夏侯惇", "XHD"}, {"东方朔", "DFS"},
        {"独孤信", "DGX"}, {"宇文泰", "YWT"}, {"澹台灭明", "TTMM"}, {"乐正华", "YZH"}, {"子车明", "ZJM"},
        {"拓跋宏", "TBH"},
        // Given names read as in names.
        {"黄长江", "HCJ"}, {"李长青", "LCQ"}, {"王长生", "WCS"}, {"张重阳", "ZCY"}, {"陈朝霞", "CZX"},
        {"刘朝晖", "LZH"}, {"李晟", "LS"}, {"王泊", "WB"}, {"张重光", "ZCG"}, {"李重华", "LCH"},
        // Traditional characters as their simplified forms, read as written elsewhere (乾 is not 干).
        {"單偉", "SW"}, {"長孫無忌", "ZSWJ"}, {"尉遲恭", "YCG"}, {"區華", "OH"}, {"王重陽", "WCY"},
        {"陳朝暉", "CZH"}, {"乾隆", "QL"},
        // Beyond the Basic Multilingual Plane: read by ICU, or by the table where ICU has none.
        {"𠮷野", "JY"}, {"李𠮷", "LJ"}, {"赵孟𫖯", "ZMF"},
        // Everything else as ICU reads it, surnames with ICU's surname reading.
        {"张三丰", "ZSF"}, {"王小明", "WXM"}, {"沈重", "SZ"}, {"朝阳", "CY"}, {"李A1", "LA1"},
        {"", ""}, {"a张", "AZ"}, {"欧", "O"}, {"𠀀张", "HZ"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SearchCodes::pinyinInitials(QString::fromUtf8(c.name)).toStdString(), c.initials) << c.name;
}

} // namespace
