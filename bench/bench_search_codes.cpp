// Search codes of 100,000 generated names, run by hand:
//   build/bench/bench_search_codes [names]
// Target: pinyin initials for 100,000 names within 2 s, ICU's reading of the
// characters being the bulk of it.
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>

#include "SearchCodes.h"

int main(int argc, char **argv)
{
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    // Common surnames, compound and polyphonic ones among them, and given-name
    // characters: names of one to three characters after the surname.
    const QStringList surnames = QString::fromUtf8(
        "王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋 唐 许 韩 冯 邓 曹 彭 曾 肖 田 董 袁 潘 "
        "于 蒋 蔡 余 杜 叶 程 苏 魏 吕 丁 任 沈 姚 卢 姜 崔 钟 谭 陆 汪 范 金 石 廖 贾 夏 韦 付 方 白 邹 孟 熊 秦 邱 江 尹 "
        "薛 闫 段 雷 侯 龙 史 陶 黎 贺 顾 毛 郝 龚 邵 万 钱 严 覃 武 戴 莫 孔 向 汤 单 解 仇 区 朴 查 盖 缪 种 翟 乐 召 "
        "欧阳 司马 诸葛 上官 尉迟 万俟 长孙 单于 慕容 东方")
                                     .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString given = QString::fromUtf8("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华长江青生重阳晟泊海燕红玉建国文斌");
    QRandomGenerator random(19);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name = surnames.at(random.bounded(surnames.size()));
        const int length = 1 + random.bounded(3);
        for (int k = 0; k < length; ++k)
            name += given.at(random.bounded(given.size()));
        names << name;
    }

    qsizetype letters = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QString &name : names)
        letters += SearchCodes::pinyinInitials(name).size();
    const double pinyinMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    for (const QString &name : names)
        letters += SearchCodes::wubiInitials(name).size();
    const double wubiMs = timer.nsecsElapsed() / 1e6;

    std::printf("codes for %d names: pinyin %.0f ms (%s 2000 ms), five-stroke %.0f ms; %lld letters\n", count,
                pinyinMs, pinyinMs <= 2000 ? "within" : "OVER", wubiMs, static_cast<long long>(letters));
    return 0;
}
