#include "NameReadings.h"

#include <iterator>

namespace NameReadings {
namespace {

// Compound surnames of the usual lists, and the single surnames read
// otherwise than the character usually is. Where ICU's surname reading is
// right already an entry still belongs here: a compound surname must be
// matched whole before its first character is read on its own.
const Entry kSurnames[] = {
    // Compound surnames.
    {u"欧阳", "ou yang"},
    {u"司马", "si ma"},
    {u"诸葛", "zhu ge"},
    {u"上官", "shang guan"},
    {u"皇甫", "huang fu"},
    {u"令狐", "ling hu"},
    {u"尉迟", "yu chi"},       // 尉 is yù only here
    {u"万俟", "mo qi"},        // Mòqí, not wàn sì
    {u"长孙", "zhang sun"},    // Zhǎngsūn, not cháng
    {u"单于", "chan yu"},      // Chányú, not shàn or dān
    {u"公孙", "gong sun"},
    {u"慕容", "mu rong"},
    {u"夏侯", "xia hou"},
    {u"东方", "dong fang"},
    {u"独孤", "du gu"},
    {u"宇文", "yu wen"},
    {u"司徒", "si tu"},
    {u"司空", "si kong"},
    {u"澹台", "tan tai"},      // Tántái, not dàn
    {u"乐正", "yue zheng"},    // Yuèzhèng, not lè
    {u"公冶", "gong ye"},
    {u"宗政", "zong zheng"},
    {u"濮阳", "pu yang"},
    {u"淳于", "chun yu"},
    {u"太叔", "tai shu"},
    {u"申屠", "shen tu"},
    {u"轩辕", "xuan yuan"},
    {u"呼延", "hu yan"},
    {u"端木", "duan mu"},
    {u"百里", "bai li"},
    {u"东郭", "dong guo"},
    {u"南宫", "nan gong"},
    {u"西门", "xi men"},
    {u"闻人", "wen ren"},
    {u"赫连", "he lian"},
    {u"拓跋", "tuo ba"},       // Tuòbá, not tà
    {u"钟离", "zhong li"},
    {u"鲜于", "xian yu"},
    {u"子车", "zi ju"},        // Zǐjū: 车 is jū here
    {u"仲孙", "zhong sun"},
    {u"叔孙", "shu sun"},
    {u"亓官", "qi guan"},
    {u"漆雕", "qi diao"},
    {u"公羊", "gong yang"},
    {u"第五", "di wu"},
    // Single surnames.
    {u"覃", "qin"},            // Qín; ICU reads tán
    {u"尉", "wei"},            // Wèi alone (尉明); yù only in 尉迟
    {u"单", "shan"},           // Shàn, not dān
    {u"解", "xie"},            // Xiè, not jiě
    {u"仇", "qiu"},            // Qiú, not chóu
    {u"区", "ou"},             // Ōu, not qū
    {u"朴", "piao"},           // Piáo, not pǔ
    {u"查", "zha"},            // Zhā, not chá
    {u"盖", "ge"},             // Gě, not gài
    {u"缪", "miao"},           // Miào, not móu
    {u"种", "chong"},          // Chóng, not zhǒng
    {u"曾", "zeng"},           // Zēng, not céng
    {u"翟", "zhai"},           // Zhái, not dí
    {u"乐", "yue"},            // Yuè, not lè
    {u"召", "shao"},           // Shào, not zhào
    {u"华", "hua"},            // Huà as a surname; the initial is the same
    {u"任", "ren"},            // Rén as a surname; the initial is the same
    {u"纪", "ji"},             // Jǐ as a surname; the initial is the same
    {u"员", "yun"},            // Yùn, not yuán
    {u"秘", "bi"},             // Bì, not mì
    {u"繁", "po"},             // Pó, not fán
    {u"折", "she"},            // Shé, not zhé
    {u"隗", "wei"},            // Wěi, not kuí
    {u"句", "gou"},            // Gōu, not jù
    {u"祭", "zhai"},           // Zhài, not jì
    {u"都", "du"},             // Dū, not dōu
    {u"黑", "he"},             // Hè as a surname; the initial is the same
    {u"薄", "bo"},             // Bó, not báo
    {u"藏", "zang"},           // Zàng, not cáng
    {u"长", "chang"},          // Cháng alone; zhǎng only in 长孙
    {u"阚", "kan"},            // Kàn; ICU reads hǎn
    {u"佴", "nai"},            // Nài; ICU reads èr
    {u"能", "nai"},            // Nài, not néng
    {u"冼", "xian"},           // Xiǎn
    {u"乜", "nie"},            // Niè; ICU reads miē
};

// Given-name characters and words read otherwise in names. A word entry
// settles a character that is read differently elsewhere.
const Entry kGivenNames[] = {
    {u"长", "chang"},          // 长江, 长青, 长生: cháng; ICU reads zhǎng
    {u"重阳", "chong yang"},   // the Double Ninth: chóng, not zhòng
    {u"重九", "chong jiu"},    // the same day by its number
    {u"重光", "chong guang"},  // 重 as "again" reads chóng: light restored,
    {u"重华", "chong hua"},    // splendour renewed (Shun's name),
    {u"重庆", "chong qing"},   // blessing doubled,
    {u"重明", "chong ming"},   // brightness again; 重 alone stays zhòng
    {u"朝霞", "zhao xia"},     // morning glow: zhāo, not cháo
    {u"朝晖", "zhao hui"},     // morning sunlight: zhāo, not cháo
    {u"晟", "sheng"},          // shèng in names; ICU reads chéng
    {u"泊", "bo"},             // 淡泊: bó in names; ICU reads pō
};

// ICU's table of readings holds most characters beyond the Basic Multilingual
// Plane, but not every one that people write in names.
const Entry kCharacters[] = {
    {u"𠮷", "ji"},             // jí, the form of 吉 with 土 on top
};

} // namespace

Table surnames()
{
    return {std::begin(kSurnames), std::end(kSurnames)};
}

Table givenNames()
{
    return {std::begin(kGivenNames), std::end(kGivenNames)};
}

Table characters()
{
    return {std::begin(kCharacters), std::end(kCharacters)};
}

} // namespace NameReadings
