#include "CliOptions.h"

#include "Unexplained.h"

#include <algorithm>

#include <QRegularExpression>

namespace tallimo::cli {

namespace {

constexpr int kMostWindowDays = 3650;

// A positive amount in yuan with at most two decimals, in cents.
std::optional<qint64> feeLimitCents(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(u'.');
    const QStringView whole = QStringView(trimmed).left(point < 0 ? trimmed.size() : point);
    const QStringView decimals = point < 0 ? QStringView() : QStringView(trimmed).mid(point + 1);
    const auto digitsOnly = [](QStringView part) {
        return std::all_of(part.begin(), part.end(),
                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (whole.isEmpty() || whole.size() > 12 || decimals.size() > 2 || !digitsOnly(whole) ||
        !digitsOnly(decimals) || (point >= 0 && decimals.isEmpty()))
        return std::nullopt;
    qint64 cents = whole.toLongLong() * 100;
    if (!decimals.isEmpty()) cents += decimals.toInt() * (decimals.size() == 1 ? 10 : 1);
    if (cents <= 0) return std::nullopt;
    return cents;
}

// An option given as "--name=value" is cut into name and value; returns whether it was.
bool splitInlineValue(QString& name, QString& value) {
    const qsizetype eq = name.indexOf(u'=');
    if (!name.startsWith(u"--") || eq <= 0) return false;
    value = name.mid(eq + 1);
    name.truncate(eq);
    return true;
}

}  // namespace

void OptionTable::flag(const QString& name, const std::function<void()>& set) {
    entries_.push_back({name, false, [set](const QString&) { set(); }});
}

void OptionTable::option(const QString& name, Setter set) {
    entries_.push_back({name, true, std::move(set)});
}

void OptionTable::operand(Setter take) {
    operand_ = std::move(take);
}

void OptionTable::parse(const QStringList& arguments) const {
    bool operandGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        const bool inlineValue = splitInlineValue(name, value);
        if (operand_ && !name.startsWith(u"--")) {
            if (operandGiven) throw error(QStringLiteral("多余的参数“%1”").arg(arguments[i]));
            // An empty operand counts as none given, as an empty value does for `require`.
            operandGiven = !arguments[i].isEmpty();
            operand_(arguments[i]);
            continue;
        }
        const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                        [&name](const Entry& e) { return e.name == name; });
        if (entry == entries_.end()) throw error(QStringLiteral("未知的选项“%1”").arg(name));
        if (!entry->takesValue && inlineValue)
            throw error(QStringLiteral("选项 %1 不带值").arg(name));
        if (entry->takesValue && !inlineValue) {
            if (i + 1 >= arguments.size()) throw error(QStringLiteral("选项 %1 缺少值").arg(name));
            value = arguments[++i];
        }
        // A later value replaces an earlier one, as the command line has always taken it.
        entry->set(value);
    }
}

void OptionTable::require(
    std::initializer_list<std::pair<const QString*, QLatin1String>> values) const {
    for (const auto& [value, name] : values)
        if (value->isEmpty()) throw error(QStringLiteral("缺少选项 %1").arg(name));
}

CliError OptionTable::error(const QString& message) const {
    return CliError(kExitUsage, message + QStringLiteral("\n\n") + usage_);
}

QStringList columnLetterList(const OptionTable& table, const QString& option, const QString& value,
                             const QString& example) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{1,3}$"));
    QStringList columns;
    for (const QString& piece : value.split(u',')) {
        const QString column = piece.trimmed().toUpper();
        if (!letters.match(column).hasMatch()) {
            throw table.error(QStringLiteral("%1 的值“%2”不是列字母的列表（例如 %3）")
                                  .arg(option, value, example));
        }
        columns << column;
    }
    return columns;
}

bool wantsHelp(const QStringList& arguments) {
    return arguments.isEmpty() || arguments.contains(QStringLiteral("-h")) ||
           arguments.contains(QStringLiteral("--help"));
}

ReconcileOptions parseArguments(const QStringList& arguments) {
    OptionTable table(usageText());
    if (arguments.isEmpty() || arguments.first() != u"reconcile") {
        throw table.error(arguments.isEmpty()
                              ? QStringLiteral("缺少命令")
                              : QStringLiteral("未知的命令“%1”").arg(arguments.first()));
    }
    ReconcileOptions options;
    QStringList suggestOnly;    // options that mean something only with --suggest
    QStringList statementOnly;  // and only with --balance-statement
    // An empty list is given all the same: no sum column, or no comparison columns.
    const auto columns = [&table](const QString& option, const QString& value) {
        return value.trimmed().isEmpty()
                   ? QStringList()
                   : columnLetterList(table, option, value, QStringLiteral("D,E"));
    };
    for (const auto& [prefix, side] : {std::pair{QStringLiteral("--left"), &options.left},
                                       std::pair{QStringLiteral("--right"), &options.right}}) {
        const QString sum = prefix + QStringLiteral("-sum");
        const QString compare = prefix + QStringLiteral("-compare");
        table.option(prefix, [side](const QString& v) { side->file = v; });
        table.option(prefix + QStringLiteral("-sheet"),
                     [side](const QString& v) { side->sheet = v; });
        table.option(prefix + QStringLiteral("-range"),
                     [side](const QString& v) { side->range = v; });
        table.option(sum, [side, columns, sum](const QString& v) {
            side->sumGiven = true;
            side->sumColumns = columns(sum, v);
        });
        table.option(compare, [side, columns, compare](const QString& v) {
            side->compareColumns = columns(compare, v);
        });
        const QString date = prefix + QStringLiteral("-date");
        const QString name = prefix + QStringLiteral("-name");
        table.option(date, [&suggestOnly, &table, side, date](const QString& v) {
            const QStringList letters = columnLetterList(table, date, v, QStringLiteral("A"));
            if (letters.size() != 1)
                throw table.error(QStringLiteral("选项 %1 只能给出一列，如 A").arg(date));
            side->dateColumn = letters.front();
            suggestOnly.append(date);
        });
        table.option(name, [&suggestOnly, side, columns, name](const QString& v) {
            side->nameColumns = columns(name, v);
            suggestOnly.append(name);
        });
    }
    table.flag(QStringLiteral("--suggest"), [&options] { options.suggest.wanted = true; });
    table.option(QStringLiteral("--date-window"), [&](const QString& v) {
        bool ok = false;
        const int days = v.trimmed().toInt(&ok);
        if (!ok || days < 0 || days > kMostWindowDays)
            throw table.error(
                QStringLiteral("选项 --date-window 应为 0 到 %1 之间的天数").arg(kMostWindowDays));
        options.suggest.windowDays = days;
        suggestOnly.append(QStringLiteral("--date-window"));
    });
    table.option(QStringLiteral("--fee-limit"), [&](const QString& v) {
        options.suggest.feeLimitCents = feeLimitCents(v);
        if (!options.suggest.feeLimitCents)
            throw table.error(QStringLiteral("选项 --fee-limit 应为大于 0 的金额，如 5 或 0.50"));
        suggestOnly.append(QStringLiteral("--fee-limit"));
    });
    table.option(QStringLiteral("--output"), [&options](const QString& v) { options.output = v; });
    table.flag(QStringLiteral("--color"), [&options] { options.colourMarking = true; });
    table.flag(QStringLiteral("--no-report-lines"),
               [&options] { options.reportTableLines = false; });
    table.flag(QStringLiteral("--no-source-lines"),
               [&options] { options.sourceTableLines = false; });
    table.flag(QStringLiteral("--balance-statement"),
               [&options] { options.statement.wanted = true; });
    for (const auto& [name, closing] :
         {std::pair{QStringLiteral("--left-closing"), &options.statement.leftClosingCents},
          std::pair{QStringLiteral("--right-closing"), &options.statement.rightClosingCents}}) {
        table.option(name, [&, name, closing](const QString& v) {
            *closing = core::centsOf(v.trimmed());
            if (!*closing)
                throw table.error(QStringLiteral("选项 %1 应为金额，如 125000.00").arg(name));
            statementOnly.append(name);
        });
    }
    table.option(QStringLiteral("--receipts-pass"), [&](const QString& v) {
        if (v.trimmed() != u"1" && v.trimmed() != u"2")
            throw table.error(QStringLiteral("选项 --receipts-pass 应为 1 或 2"));
        options.statement.receiptsPass = v.trimmed().toInt();
        statementOnly.append(QStringLiteral("--receipts-pass"));
    });
    table.option(QStringLiteral("--statement-side"), [&](const QString& v) {
        if (v.trimmed() != u"left" && v.trimmed() != u"right")
            throw table.error(QStringLiteral("选项 --statement-side 应为 left 或 right"));
        options.statement.statementOnLeft = v.trimmed() == u"left";
        statementOnly.append(QStringLiteral("--statement-side"));
    });
    table.parse(arguments.mid(1));
    if (!options.statement.wanted && !statementOnly.isEmpty())
        throw table.error(
            QStringLiteral("选项 %1 只与 --balance-statement 一起使用").arg(statementOnly.front()));
    if (!options.suggest.wanted && !suggestOnly.isEmpty())
        throw table.error(
            QStringLiteral("选项 %1 只与 --suggest 一起使用").arg(suggestOnly.front()));
    table.require({{&options.left.file, QLatin1String("--left")},
                   {&options.right.file, QLatin1String("--right")},
                   {&options.output, QLatin1String("--output")}});
    return options;
}

AreaCommandOptions parseAreaArguments(const QStringList& arguments) {
    OptionTable table(areaUsageText());
    AreaCommandOptions options;
    table.operand([&options](const QString& v) { options.file = v; });
    table.option(QStringLiteral("--sheet"), [&options](const QString& v) { options.sheet = v; });
    table.option(QStringLiteral("--range"), [&options](const QString& v) { options.range = v; });
    table.parse(arguments);
    if (options.file.isEmpty()) throw table.error(QStringLiteral("缺少文件"));
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
        "    [--suggest [--date-window DAYS] [--fee-limit AMOUNT] [--left-date COL] "
        "[--right-date COL]\n"
        "               [--left-name COL[,COL...]] [--right-name COL[,COL...]]]\n"
        "    [--balance-statement [--left-closing AMOUNT] [--right-closing AMOUNT] "
        "[--receipts-pass 1|2]\n"
        "                         [--statement-side left|right]]\n"
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
        "  --suggest         为未匹配的行写出疑似匹配建议（每遍比对一张“疑似匹配”表）\n"
        "  --date-window     日期相近的天数，缺省为 7\n"
        "  --fee-limit       手续费差额的上限金额，缺省不查手续费\n"
        "  --*-date          日期列，缺省为区域中第一个大半是日期的列\n"
        "  --*-name          名称列（如对方户名、摘要），缺省为比较列中日期列以外的列\n"
        "  --balance-statement 写出银行存款余额调节表（需收入、支出两遍比对）\n"
        "  --*-closing       该区域的期末余额，缺省取区域中标题含“余额”的列的最后一个数\n"
        "  --receipts-pass   收入所在的一遍（1 或 2），缺省按求和列标题（借/收、贷/支/付）判断\n"
        "  --statement-side  银行对账单所在的区域，缺省为 right（左区为企业日记账）\n"
        "\n"
        "结果工作簿写入 OUT.xlsx；每遍比对的结论各占标准输出的一行，\n"
        "给出 --suggest 时其后一行为“疑似匹配: 建议条数”；给出 --balance-statement 时\n"
        "最后一行为余额调节表的“核对结果: …”，或未生成的原因。\n"
        "退出码: 0 成功，1 文件、区域或列无效，2 命令行用法错误。\n"
        "\n"
        "查找重复行: tallimo-cli dedup --help\n"
        "另见: tallimo-cli area FILE [--sheet NAME] [--range RANGE]（写出区域的选区文本）");
}

}  // namespace tallimo::cli
