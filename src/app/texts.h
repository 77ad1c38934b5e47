#pragma once

#include <QString>
#include <QStringView>

namespace orbelune {

// The maker's brand, in both scripts. Every text that names the maker is built from these.
inline constexpr QStringView brandLatin = u"Quellmark";
inline constexpr QStringView brandChinese = u"奎尔马克";

// The about window's description: one paragraph of 156 characters, three blanks first.
inline constexpr QStringView productDescription
    = u"   “Orbelune”是奎尔马克专为双色球彩票爱好者精心打造的一款界面美观、操作简单的选号软件。"
      u"软件能够有效地过滤掉几乎没有中奖可能的号码组合，独有的七位排列算法让每一注号码都经过精心推"
      u"算。您还可以导入往期开奖号码，让软件的分析结果更加科学准确。"
      u"了解更多彩票资讯，请访问中国福利彩票和中国体育彩票的官方网站。";

// Tool tips of the two kinds of link.
inline constexpr QStringView makerLinkToolTip = u"访问Quellmark网站";
inline constexpr QStringView lotteryLinkToolTip = u"中国福彩官方网站";

// "软件赠予：所有用户", twelve blanks, then "By:" and the author's handle.
QString dedicationLine();

// The about window's brand label: Chinese, one blank, Latin.
QString brandLabel();

// The main window's copyright line: brand, year, Chinese brand, and the host its click opens.
QString copyrightLine();

} // namespace orbelune
