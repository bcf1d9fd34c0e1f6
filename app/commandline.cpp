#include "commandline.h"

#include "fieldtext.h"
#include "scripting.h"

#include <QFileInfo>
#include <QTextStream>

namespace commandline {

namespace {

const QString Usage = QStringLiteral(
    "使い方: portana [--help | --version | --send 相手 本文 [--attach ﾊﾟｽ...] |\n"
    "                --peers | --search | --check IPｱﾄﾞﾚｽ]\n");

const QString Help =
    QStringLiteral("ぽるとな～: 同じネットワークの仲間にメッセージを送るツールです。\n"
                   "起動するとタスクトレイに入り、アイコンから操作します。\n"
                   "設定ファイル optGFile.dat は ~/.config/portana/ に置かれます\n"
                   "(実行ファイルと同じフォルダにあれば、そちらを使います)。\n"
                   "  --help              この説明を表示して終了します\n"
                   "  --version           版を表示して終了します\n"
                   "起動中のぽるとな～に頼むこと (ぽるとな～は新たに起動しません):\n"
                   "  --send 相手 本文    相手 (表示名、ﾛｸﾞｲﾝ名、IPｱﾄﾞﾚｽ) に本文を送ります。\n"
                   "                      本文が - なら標準入力から読みます\n"
                   "                      相手は一人: ﾌﾞﾛｰﾄﾞｷｬｽﾄやﾏﾙﾁｷｬｽﾄのｱﾄﾞﾚｽには送りません\n"
                   "  --attach ﾊﾟｽ...     --send のあとに: ﾌｧｲﾙやﾌｫﾙﾀﾞｰを本文に添えます\n"
                   "                      (ぽるとな～どうしでだけ届きます)\n"
                   "  --peers             一覧の相手を 1 行に 1 人、表示名・ﾛｸﾞｲﾝ名・IPｱﾄﾞﾚｽを\n"
                   "                      ﾀﾌﾞで区切って表示します (欄の中のﾀﾌﾞ・改行・\\ は\n"
                   "                      \\t \\r \\n \\\\ と書きます)\n"
                   "  --search            相手を検索し直します\n"
                   "  --check IPｱﾄﾞﾚｽ     その相手に検索を 1 つ送り、一覧に載らない\n"
                   "                      わけを 1 文で表示します\n"
                   "終了ｽﾃｰﾀｽ: 0 届いた (--check: 応答があった)  1 拒否された\n"
                   "           2 使い方の誤り  3 ぽるとな～が起動していない  4 応答がない\n"
                   "           5 相手が見つからない (同じ名前の相手が何人もいるときも)\n"
                   "           6 起動中のぽるとな～が応答しません\n"
                   "           7 このコンピューターからその相手に届かない (--check)\n"
                   "           8 本文は届いたが、相手はﾌｧｲﾙを受け取れない (--attach)\n");

// A field of --peers: a tab or line break inside it would fake a field or a line.
QString escaped(QString field)
{
    return field.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\t', QStringLiteral("\\t"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
}

QString peerLine(const PeerEntry &p)
{
    return escaped(p.name) + u'\t' + escaped(p.login) + u'\t' + escaped(p.address) + u'\n';
}

// The sentence on standard output when the peer answered, on standard
// error when not; the status says which.
int check(ScriptClient &client, const QString &address, QTextStream &out, QTextStream &err)
{
    const auto checked = client.check(address);
    if (!checked) {
        err << "portana: "
            << (client.hung ? QStringLiteral("起動中のぽるとな～が応答しません") : client.error)
            << '\n';
        return client.hung ? Hung : UsageError; // an address that cannot be checked
    }
    const auto &[outcome, sentence] = *checked;
    if (outcome == u"no-answer" || outcome == u"unreachable") {
        err << sentence << '\n';
        return outcome == u"unreachable" ? Unreachable : NoAnswer;
    }
    out << sentence << '\n';
    return Ok;
}

Command usage(const QString &error)
{
    Command c;
    c.kind = Command::Kind::Usage;
    c.error = error;
    return c;
}

} // namespace

Command parse(const QStringList &args)
{
    Command c;
    if (args.isEmpty())
        return c;
    const QString &first = args.first();
    qsizetype wanted = 1; // how many arguments the option takes, itself included
    if (first == u"--help" || first == u"-h") {
        c.kind = Command::Kind::Help;
    } else if (first == u"--version") {
        c.kind = Command::Kind::Version;
    } else if (first == u"--peers") {
        c.kind = Command::Kind::Peers;
    } else if (first == u"--search") {
        c.kind = Command::Kind::Search;
    } else if (first == u"--check") {
        c.kind = Command::Kind::Check;
        wanted = 2;
        if (args.size() < 2 || args[1].trimmed().isEmpty())
            return usage(QStringLiteral("--check には相手のIPｱﾄﾞﾚｽが要ります"));
        c.peer = args[1];
    } else if (first == u"--send") {
        c.kind = Command::Kind::Send;
        wanted = 3;
        if (args.size() < 3)
            return usage(QStringLiteral("--send には相手と本文が要ります"));
        c.peer = args[1];
        c.text = args[2];
        if (c.peer.trimmed().isEmpty())
            return usage(QStringLiteral("相手が空です"));
        if (fieldtext::hasControl(c.peer))
            return usage(QStringLiteral("相手に制御文字があります"));
        if (args.size() > 3 && args[3] == u"--attach") {
            c.files = args.mid(4);
            wanted = int(args.size());
            if (c.files.isEmpty())
                return usage(QStringLiteral("--attach には添えるﾌｧｲﾙが要ります"));
        }
    } else {
        return usage(QStringLiteral("不明な引数です: ") + first);
    }
    if (args.size() > wanted)
        return usage(QStringLiteral("不明な引数です: ") + args[wanted]);
    return c;
}

bool isClient(const Command &command)
{
    using K = Command::Kind;
    return command.kind == K::Send || command.kind == K::Peers || command.kind == K::Search ||
           command.kind == K::Check;
}

int run(const Command &command, ScriptClient *client, QTextStream &in, QTextStream &out,
        QTextStream &err, const QString &version)
{
    using K = Command::Kind;
    switch (command.kind) {
    case K::Start:
        return Ok;
    case K::Help:
        out << Usage << Help;
        return Ok;
    case K::Version:
        out << "portana " << version << '\n';
        return Ok;
    case K::Usage:
        err << "portana: " << command.error << '\n' << Usage;
        return UsageError;
    case K::Send:
    case K::Peers:
    case K::Search:
    case K::Check:
        break;
    }
    QString text = command.text;
    if (command.kind == K::Send && text == u"-") {
        text = in.readAll();
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1); // the line break a shell's echo leaves
    }
    if (command.kind == K::Send && text.isEmpty()) {
        err << "portana: 本文が空です\n" << Usage;
        return UsageError;
    }
    // A NUL would end the text on the bus, sending what stood before it.
    if (command.kind == K::Send && fieldtext::hasControl(text)) {
        err << "portana: 本文に制御文字があります (ﾀﾌﾞと改行のほかは送れません)\n";
        return UsageError;
    }
    // Whole paths: the running copy does not stand in this shell's folder.
    QStringList files;
    for (const QString &path : command.files) {
        const QFileInfo info(path);
        if (!info.exists() || !info.isReadable()) {
            err << "portana: 読めないﾌｧｲﾙです: " << path << '\n';
            return UsageError;
        }
        files << info.absoluteFilePath();
    }
    if (!client->running()) {
        err << "portana: 起動中のぽるとな～がありません\n";
        return NotRunning;
    }
    const auto failed = [&](int status) {
        if (client->hung) {
            err << "portana: 起動中のぽるとな～が応答しません\n";
            return int(Hung);
        }
        err << "portana: " << client->error << '\n';
        return status;
    };
    if (command.kind == K::Search)
        return client->search() ? Ok : failed(NoAnswer);
    if (command.kind == K::Check)
        return check(*client, command.peer, out, err);
    if (command.kind == K::Peers) {
        const auto peers = client->peers();
        if (!peers)
            return failed(NoAnswer);
        for (const PeerEntry &p : *peers)
            out << peerLine(p);
        return Ok;
    }
    const auto result = client->send(command.peer, text, files);
    if (!result)
        return failed(UsageError); // the copy would not take the text
    if (*result == u"delivered")
        return Ok;
    if (*result == u"no-files") {
        err << "portana: 本文は届きましたが、相手はﾌｧｲﾙを受け取れません\n";
        return NoFiles;
    }
    if (*result == u"refused") {
        err << "portana: 拒否されました\n";
        return Refused;
    }
    if (*result == u"ambiguous-peer") {
        err << "portana: 同じ名前の相手が何人もいます: " << command.peer << '\n';
        if (const auto peers = client->peers())
            for (const PeerEntry &p : *peers)
                if (namesPeer(p, command.peer))
                    err << peerLine(p);
        return UnknownPeer;
    }
    if (*result == u"unknown-peer") {
        err << "portana: 相手が見つかりません: " << command.peer << '\n';
        return UnknownPeer;
    }
    err << "portana: 応答がありません\n";
    return NoAnswer;
}

} // namespace commandline
