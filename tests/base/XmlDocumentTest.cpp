#include "TestFolder.h"

#include "base/XmlDocument.h"

#include "base/KorventError.h"

#include <gtest/gtest.h>

namespace {

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

TEST(XmlDocumentWriting, ElementsAttributesAndNamespaceInTheOrderSet)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("ResultList"), QStringLiteral("urn:example"));
    root.setAttribute(QStringLiteral("zeta"), QStringLiteral("1"));
    root.setAttribute(QStringLiteral("alpha"), QStringLiteral("2"));
    root.setAttribute(QStringLiteral("mid"), QStringLiteral("3"));
    const XmlElement event = root.appendElement(QStringLiteral("Event"));
    event.appendTextElement(QStringLiteral("Name"), QStringLiteral("A & B <C> \"D\""));
    event.appendTextElement(QStringLiteral("Empty"), QString());
    event.appendElement(QStringLiteral("Country")).setAttribute(QStringLiteral("code"), QStringLiteral("a\"b&c<"));

    const QString written = text(document.toBytes(XmlEncoding::Utf8));
    EXPECT_TRUE(written.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ResultList xmlns=\"urn:example\" zeta=\"1\" alpha=\"2\" mid=\"3\">")))
        << written.toStdString();
    // Children take the parent's default namespace without repeating it.
    EXPECT_EQ(written.count(QStringLiteral("xmlns")), 1);
    EXPECT_TRUE(written.contains(QStringLiteral("<Name>A &amp; B &lt;C&gt; \"D\"</Name>")));
    EXPECT_TRUE(written.contains(QStringLiteral("<Empty/>")));
    EXPECT_TRUE(written.contains(QStringLiteral("<Country code=\"a&quot;b&amp;c&lt;\"/>")));

    XmlDocument reread;
    reread.loadBytes(written.toUtf8(), QStringLiteral("written"));
    EXPECT_EQ(reread.documentElement().child(QStringLiteral("Event")).child(QStringLiteral("Name")).text(), QStringLiteral("A & B <C> \"D\""));
}

TEST(XmlDocumentWriting, SettingAgainReplacesTextAndKeepsTheAttributesPlace)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    root.setAttribute(QStringLiteral("a"), QStringLiteral("1"));
    root.setAttribute(QStringLiteral("b"), QStringLiteral("2"));
    root.setAttribute(QStringLiteral("a"), QStringLiteral("3"));
    const XmlElement name = root.appendTextElement(QStringLiteral("Name"), QStringLiteral("first"));
    name.setText(QStringLiteral("second"));
    const QString written = text(document.toBytes(XmlEncoding::Utf8));
    EXPECT_TRUE(written.contains(QStringLiteral("<R a=\"3\" b=\"2\">"))) << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("<Name>second</Name>")));
}

TEST(XmlDocumentWriting, TextLaidOutByHandIsWrittenAsBuilt)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    root.appendText(QStringLiteral("\n"));
    const XmlElement row = root.appendElement(QStringLiteral("row"));
    row.appendTextElement(QStringLiteral("a"), QStringLiteral("1"));
    row.appendTextElement(QStringLiteral("b"), QStringLiteral("x<y"));
    root.appendText(QStringLiteral("\n"));
    EXPECT_EQ(text(document.toBytes(XmlEncoding::Utf8)),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R>\n<row><a>1</a><b>x&lt;y</b></row>\n</R>\n"));
}

TEST(XmlDocumentWriting, EmptyElementsSelfClosingOrWithTheirEndTag)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    root.appendTextElement(QStringLiteral("a"), QString());
    root.appendElement(QStringLiteral("b"));
    EXPECT_TRUE(text(document.toBytes(XmlEncoding::Utf8)).contains(QStringLiteral("<a/>")));
    const QString withEndTags = text(document.toBytes(XmlEncoding::Utf8, XmlEmptyElements::EndTag));
    EXPECT_TRUE(withEndTags.contains(QStringLiteral("<a></a>"))) << withEndTags.toStdString();
    EXPECT_TRUE(withEndTags.contains(QStringLiteral("<b></b>"))) << withEndTags.toStdString();
}

TEST(XmlDocumentWriting, NamesXmlDoesNotAllowAreRefused)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    for (const char *name : {"count(*)", "a b", "1st", ""})
        EXPECT_THROW(root.appendElement(QLatin1String(name)), KorventError) << name;
    EXPECT_FALSE(root.appendElement(QStringLiteral("team_id")).isNull());
}

TEST(XmlDocumentWriting, Latin1KeepsOtherCharactersAsReferences)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    document.insertProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"ISO-8859-1\""));
    root.appendTextElement(QStringLiteral("Name"), QStringLiteral("Ääre Łódź ☃ 😀"));
    root.setAttribute(QStringLiteral("title"), QStringLiteral("Ω"));

    const QByteArray bytes = document.toBytes(XmlEncoding::Latin1);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<R title=\"&#937;\">")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("<Name>\xC4\xE4re &#321;\xF3\x64&#378; &#9731; &#128512;</Name>")) << bytes.toStdString();
    EXPECT_FALSE(bytes.contains('?' + QByteArray("</Name>")));
    // Exactly one declaration: the instruction stands for it.
    EXPECT_EQ(bytes.count("<?xml"), 1);

    XmlDocument reread;
    reread.loadBytes(bytes, QStringLiteral("latin1"));
    EXPECT_EQ(reread.documentElement().child(QStringLiteral("Name")).text(), QStringLiteral("Ääre Łódź ☃ 😀"));
    EXPECT_EQ(reread.documentElement().attribute(QStringLiteral("title")), QStringLiteral("Ω"));
}

TEST(XmlDocumentWriting, OtherInstructionsStandBeforeTheDocumentElement)
{
    XmlDocument document;
    document.createDocumentElement(QStringLiteral("R")).appendElement(QStringLiteral("C"));
    document.insertProcessingInstruction(QStringLiteral("xml-stylesheet"), QStringLiteral("href=\"a.xsl\""));
    EXPECT_TRUE(text(document.toBytes(XmlEncoding::Utf8))
                    .startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?xml-stylesheet href=\"a.xsl\"?>\n<R>")));
}

TEST(XmlDocumentWriting, CharactersXmlCannotCarryAreLeftOut)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("R"));
    root.appendTextElement(QStringLiteral("Name"), QStringLiteral("a") + QChar(0x01) + QStringLiteral("b") + QChar(0xD800) + QStringLiteral("c\td"));
    const QByteArray bytes = document.toBytes(XmlEncoding::Utf8);
    EXPECT_TRUE(bytes.contains("<Name>abc\td</Name>")) << bytes.toStdString();
    XmlDocument reread;
    EXPECT_NO_THROW(reread.loadBytes(bytes, QStringLiteral("cleaned")));
}

TEST(XmlDocumentWriting, CloseEmptiesTheDocument)
{
    XmlDocument document;
    document.createDocumentElement(QStringLiteral("R"));
    document.insertProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"ISO-8859-1\""));
    document.close();
    EXPECT_TRUE(document.isEmpty());
    EXPECT_TRUE(document.documentElement().isNull());
    // A new document gets the writer's own declaration again.
    document.createDocumentElement(QStringLiteral("S"));
    EXPECT_TRUE(document.toBytes(XmlEncoding::Utf8).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<S/>"));
}

TEST(XmlDocumentReading, WalksChildrenFindsByNameAndReadsMissingOnesAsEmpty)
{
    QTemporaryDir dir;
    const QString fileName = folderOf(dir) + QStringLiteral("course.xml");
    writeFile(fileName, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                        "<CourseData>\n"
                        "  <!-- made by hand -->\n"
                        "  <StartPoint><StartPointCode>S1</StartPointCode></StartPoint>\n"
                        "  <Control type=\"normal\"><ControlCode>31</ControlCode><ControlPosition x=\"12.5\" y=\"-3\"/></Control>\n"
                        "  <Control><ControlCode>M\xE4\xE4</ControlCode></Control>\n"
                        "  <FinishPoint/>\n"
                        "</CourseData>\n");
    XmlDocument document;
    document.load(fileName);
    const XmlElement root = document.documentElement();
    EXPECT_EQ(root.name(), QStringLiteral("CourseData"));

    QStringList names;
    for (const XmlElement &child : root.children())
        names.append(child.name());
    EXPECT_EQ(names, QStringList({"StartPoint", "Control", "Control", "FinishPoint"}));

    const QList<XmlElement> children = root.children();
    EXPECT_EQ(children[1].child(QStringLiteral("ControlCode")).text(), QStringLiteral("31"));
    EXPECT_EQ(children[1].attribute(QStringLiteral("type")), QStringLiteral("normal"));
    EXPECT_EQ(children[1].child(QStringLiteral("ControlPosition")).attribute(QStringLiteral("x")), QStringLiteral("12.5"));
    EXPECT_EQ(children[2].child(QStringLiteral("ControlCode")).text(), QStringLiteral("Mää"));
    EXPECT_EQ(root.child(QStringLiteral("StartPoint")).text(), QStringLiteral("S1"));

    // Missing children and attributes read as empty, also further down.
    const XmlElement missing = root.child(QStringLiteral("Map"));
    EXPECT_TRUE(missing.isNull());
    EXPECT_TRUE(missing.text().isEmpty());
    EXPECT_TRUE(missing.child(QStringLiteral("Scale")).attribute(QStringLiteral("value")).isEmpty());
    EXPECT_TRUE(missing.children().isEmpty());
    EXPECT_TRUE(children[2].attribute(QStringLiteral("type")).isEmpty());
    EXPECT_TRUE(root.child(QStringLiteral("FinishPoint")).text().isEmpty());
    // Names are matched exactly.
    EXPECT_TRUE(root.child(QStringLiteral("control")).isNull());
}

TEST(XmlDocumentReading, ElementsInANamespaceAreFoundByTheirLocalName)
{
    XmlDocument document;
    document.loadBytes("<CourseData xmlns=\"http://www.orienteering.org/datastandard/3.0\"><Control><Id>31</Id></Control></CourseData>",
                       QStringLiteral("v3"));
    EXPECT_EQ(document.documentElement().child(QStringLiteral("Control")).child(QStringLiteral("Id")).text(), QStringLiteral("31"));
}

TEST(XmlDocumentReading, FilesThatAreNotWellFormedNameTheFileReasonAndLine)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int line;
    };
    const Case cases[] = {
        {"unclosed", "<?xml version=\"1.0\"?>\n<CourseData>\n  <Control>\n</CourseData>\n", 4},
        {"two roots", "<a/>\n<b/>\n", 2},
        {"bad entity", "<a>\n\n&nope;</a>", 3},
        {"empty", "", 1},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString fileName = folderOf(dir) + QString::fromLatin1(c.name) + QStringLiteral(".xml");
        writeFile(fileName, c.bytes);
        XmlDocument document;
        document.createDocumentElement(QStringLiteral("Old"));
        try {
            document.load(fileName);
            ADD_FAILURE() << "loaded";
        } catch (const KorventError &error) {
            const QString message = error.message();
            EXPECT_TRUE(message.startsWith(fileName + QStringLiteral(" is not a well-formed XML file: "))) << message.toStdString();
            EXPECT_TRUE(message.endsWith(QStringLiteral("(line %1)").arg(c.line))) << message.toStdString();
        }
        // The object is left empty, not with the earlier document.
        EXPECT_TRUE(document.isEmpty());
    }
}

TEST(XmlDocumentReading, AMissingFileIsNamed)
{
    QTemporaryDir dir;
    const QString fileName = folderOf(dir) + QStringLiteral("none.xml");
    XmlDocument document;
    try {
        document.load(fileName);
        ADD_FAILURE() << "loaded";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Cannot read ") + fileName)) << error.message().toStdString();
    }
}

TEST(XmlDocumentReading, ExternalEntitiesAreNotFetched)
{
    QTemporaryDir dir;
    const QString secret = folderOf(dir) + QStringLiteral("secret.txt");
    writeFile(secret, "hidden");
    const QByteArray bytes = "<?xml version=\"1.0\"?>\n<!DOCTYPE a [<!ENTITY s SYSTEM \"file://" + secret.toUtf8() + "\">]>\n<a>&s;</a>";
    XmlDocument document;
    document.loadBytes(bytes, QStringLiteral("entity"));
    EXPECT_FALSE(document.documentElement().text().contains(QStringLiteral("hidden")));
}

TEST(XmlDocumentReading, EntitiesAreExpandedWithinReason)
{
    // One entity of 1,000 bytes referred to 2,000 times: 2 MB of text from a file of 7 kB.
    const QByteArray entity(1000, 'x');
    QByteArray references;
    for (int i = 0; i < 2000; ++i)
        references += "&e;";
    XmlDocument document;
    document.loadBytes("<!DOCTYPE a [<!ENTITY e \"" + entity + "\"><!ENTITY s \"short\">]>\n<a><b x=\"&s;!\">&s; &amp; <c>&s;</c></b>\n<d y=\""
                           + references + "\">" + references + "</d></a>",
                       QStringLiteral("entities"));
    const XmlElement root = document.documentElement();
    EXPECT_EQ(root.child(QStringLiteral("b")).text(), QStringLiteral("short & short"));
    EXPECT_EQ(root.child(QStringLiteral("b")).attribute(QStringLiteral("x")), QStringLiteral("short!"));
    try {
        root.child(QStringLiteral("d")).attribute(QStringLiteral("y"));
        ADD_FAILURE() << "expanded";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("The attribute y of element d (line 3) expands its entities to more than 1048576 bytes"));
    }
    try {
        root.child(QStringLiteral("d")).text();
        ADD_FAILURE() << "expanded";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("The text of element d (line 3) expands its entities to more than 1048576 bytes"));
    }
    EXPECT_THROW(root.text(), KorventError);
}
