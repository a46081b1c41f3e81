#include "CliOptions.h"

#include <QRegularExpression>

namespace tallimo::cli {

namespace {

CliError usage(const QString& message, const QString& usage = usageText()) {
    return CliError(kExitUsage, message + QStringLiteral("\n\n") + usage);
}

// An option given as "--name=value" is cut into name and value; returns whether it was.
bool splitInlineValue(QString& name, QString& value) {
    const qsizetype eq = name.indexOf(u'=');
    if (!name.startsWith(u"--") || eq <= 0) return false;
    value = name.mid(eq + 1);
    name.truncate(eq);
    return true;
}

QStringList columnList(const QString& option, const QString& value) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{1,3}$"));
    QStringList columns;
    if (value.trimmed().isEmpty()) return columns;
    for (const QString& piece : value.split(u',')) {
        const QString column = piece.trimmed().toUpper();
        if (!letters.match(column).hasMatch()) {
            throw usage(
                QStringLiteral("%1 的值“%2”不是列字母的列表（例如 D,E）").arg(option, value));
        }
        columns << column;
    }
    return columns;
}

}  // namespace

bool wantsHelp(const QStringList& arguments) {
    return arguments.isEmpty() || arguments.contains(QStringLiteral("-h")) ||
           arguments.contains(QStringLiteral("--help"));
}

ReconcileOptions parseArguments(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments.first() != u"reconcile") {
        throw usage(arguments.isEmpty() ? QStringLiteral("缺少命令")
                                        : QStringLiteral("未知的命令“%1”").arg(arguments.first()));
    }
    ReconcileOptions options;
    const auto sideOf = [&](const QString& name) -> AreaOptions& {
        return name.startsWith(u"--left") ? options.left : options.right;
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        const bool inlineValue = splitInlineValue(name, value);
        if (name == u"--color" || name == u"--no-report-lines" || name == u"--no-source-lines") {
            if (inlineValue) throw usage(QStringLiteral("选项 %1 不带值").arg(name));
            if (name == u"--color") options.colourMarking = true;
            if (name == u"--no-report-lines") options.reportTableLines = false;
            if (name == u"--no-source-lines") options.sourceTableLines = false;
            continue;
        }
        static const QStringList valued = {"--left",          "--left-sheet",   "--left-range",
                                           "--left-sum",      "--left-compare", "--right",
                                           "--right-sheet",   "--right-range",  "--right-sum",
                                           "--right-compare", "--output"};
        if (!valued.contains(name)) throw usage(QStringLiteral("未知的选项“%1”").arg(name));
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) throw usage(QStringLiteral("选项 %1 缺少值").arg(name));
            value = arguments[++i];
        }
        if (name == u"--output") {
            options.output = value;
        } else if (name == u"--left" || name == u"--right") {
            sideOf(name).file = value;
        } else if (name.endsWith(u"-sheet")) {
            sideOf(name).sheet = value;
        } else if (name.endsWith(u"-range")) {
            sideOf(name).range = value;
        } else if (name.endsWith(u"-sum")) {
            sideOf(name).sumGiven = true;
            sideOf(name).sumColumns = columnList(name, value);
        } else {
            sideOf(name).compareColumns = columnList(name, value);
        }
    }
    const std::pair<const QString*, const char*> required[] = {{&options.left.file, "--left"},
                                                               {&options.right.file, "--right"},
                                                               {&options.output, "--output"}};
    for (const auto& [value, name] : required) {
        if (value->isEmpty()) throw usage(QStringLiteral("缺少选项 %1").arg(QLatin1String(name)));
    }
    return options;
}

AreaCommandOptions parseAreaArguments(const QStringList& arguments) {
    const QString help = areaUsageText();
    AreaCommandOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        const bool inlineValue = splitInlineValue(name, value);
        if (!name.startsWith(u"--")) {
            if (!options.file.isEmpty())
                throw usage(QStringLiteral("多余的参数“%1”").arg(arguments[i]), help);
            options.file = arguments[i];
            continue;
        }
        if (name != u"--sheet" && name != u"--range")
            throw usage(QStringLiteral("未知的选项“%1”").arg(name), help);
        if (!inlineValue) {
            if (i + 1 >= arguments.size())
                throw usage(QStringLiteral("选项 %1 缺少值").arg(name), help);
            value = arguments[++i];
        }
        (name == u"--sheet" ? options.sheet : options.range) = value;
    }
    if (options.file.isEmpty()) throw usage(QStringLiteral("缺少文件"), help);
    return options;
}

QString areaUsageText() {
    return QStringLiteral(
        "用法: tallimo-cli area FILE [--sheet NAME] [--range RANGE]\n"
        "\n"
        "以 UTF-8 在标准输出上写出区域的选区文本，与加载项放到剪贴板上的完全相同：\n"
        "每行以 CR LF 结尾，单元格以制表符分隔。\n"
        "缺省 RANGE 时读取工作表的已用区域（从第一个非空行起），并在标准错误上写出所选区域。\n"
        "退出码: 0 成功，1 文件或区域无效，2 命令行用法错误。");
}

QString usageText() {
    return QStringLiteral(
        "用法: tallimo-cli reconcile\n"
        "    --left FILE  [--left-sheet NAME]  [--left-range RANGE]  [--left-sum COL[,COL]]  "
        "[--left-compare COL[,COL...]]\n"
        "    --right FILE [--right-sheet NAME] [--right-range RANGE] [--right-sum COL[,COL]] "
        "[--right-compare COL[,COL...]]\n"
        "    [--color] [--no-report-lines] [--no-source-lines]\n"
        "    --output OUT.xlsx\n"
        "\n"
        "  FILE      .xlsx、.xls、.ods、.csv、.tsv 或 .txt 文件（按内容识别；文本可为 UTF-8、\n"
        "            UTF-16 或 GB18030 编码；另存为 .xls 的网页表格亦可）\n"
        "  NAME      工作表名称，缺省为第一个工作表\n"
        "  RANGE     区域，如 B2:F40 或 $B$2:$F$40；缺省为工作表的已用区域（从第一个非空行起）\n"
        "  --*-sum       求和列（一至两列），缺省为区域的最后一列\n"
        "  --*-compare   比较列（任意多列，如日期列），可为空\n"
        "  --color           色彩标注对账结果\n"
        "  --no-report-lines 报告不加表格线\n"
        "  --no-source-lines 数据源不加表格线\n"
        "\n"
        "结果工作簿写入 OUT.xlsx；每遍比对的结论各占标准输出的一行。\n"
        "退出码: 0 成功，1 文件、区域或列无效，2 命令行用法错误。\n"
        "\n"
        "查找重复行: tallimo-cli dedup --help\n"
        "另见: tallimo-cli area FILE [--sheet NAME] [--range RANGE]（写出区域的选区文本）");
}

}  // namespace tallimo::cli
