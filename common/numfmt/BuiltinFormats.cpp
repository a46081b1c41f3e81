#include "FormatCode.h"

#include <iterator>

namespace tallimo::numfmt {

QString builtinFormatCode(int id) {
    // Ids 5-8, 14, 22, 27-36, 41-44 and 50-58 depend on the reader's locale; these are the
    // codes the Chinese (PRC) edition shows. Ids 23-26 have no code: they show as General.
    static const char16_t* const codes[] = {
        u"General",
        u"0",
        u"0.00",
        u"#,##0",
        u"#,##0.00",
        u"\"¥\"#,##0;\"¥\"\\-#,##0",
        u"\"¥\"#,##0;[Red]\"¥\"\\-#,##0",
        u"\"¥\"#,##0.00;\"¥\"\\-#,##0.00",
        u"\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00",
        u"0%",
        u"0.00%",
        u"0.00E+00",
        u"# ?/?",
        u"# ?\?/?\?",
        u"yyyy/m/d",
        u"d-mmm-yy",
        u"d-mmm",
        u"mmm-yy",
        u"h:mm AM/PM",
        u"h:mm:ss AM/PM",
        u"h:mm",
        u"h:mm:ss",
        u"yyyy/m/d h:mm",
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"m\"月\"d\"日\"",
        u"m-d-yy",
        u"yyyy\"年\"m\"月\"d\"日\"",
        u"h\"时\"mm\"分\"",
        u"h\"时\"mm\"分\"ss\"秒\"",
        u"上午/下午h\"时\"mm\"分\"",
        u"上午/下午h\"时\"mm\"分\"ss\"秒\"",
        u"yyyy\"年\"m\"月\"",
        u"#,##0 ;(#,##0)",
        u"#,##0 ;[Red](#,##0)",
        u"#,##0.00;(#,##0.00)",
        u"#,##0.00;[Red](#,##0.00)",
        u"_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ ",
        u"_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ ",
        u"_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ ",
        u"_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ ",
        u"mm:ss",
        u"[h]:mm:ss",
        u"mm:ss.0",
        u"##0.0E+0",
        u"@",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"m\"月\"d\"日\"",
        u"上午/下午h\"时\"mm\"分\"",
        u"上午/下午h\"时\"mm\"分\"ss\"秒\"",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
    };
    if (id < 0 || id >= int(std::size(codes)) || !codes[id]) return {};
    return QString::fromUtf16(codes[id]);
}

}  // namespace tallimo::numfmt
