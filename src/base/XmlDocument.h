#pragma once

// An XML document held in memory: built element by element for the result
// exports, or loaded from a file and walked for the control import.
// Backed by libxml2; one document is used by one thread at a time.

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

enum class XmlEncoding {
    Utf8,
    Latin1, // ISO-8859-1: characters beyond it are written as numeric character references
};

// How an element without content is written.
enum class XmlEmptyElements {
    SelfClosing, // <name/>
    EndTag,      // <name></name>
};

// A handle on an element of a document; it stays usable as long as the
// document holds the element. A null handle (a child that is not there)
// reads as empty and has no children.
class XmlElement
{
public:
    XmlElement() = default;

    bool isNull() const { return m_node == nullptr; }
    // The element's local name.
    QString name() const;
    // All text inside the element, the file's own entities expanded; empty for
    // a null handle. Entities that expand beyond reason raise KorventError.
    QString text() const;
    // The attribute's value; empty when missing.
    QString attribute(const QString &name) const;
    // The child elements in document order (text and comments are skipped).
    QList<XmlElement> children() const;
    // The first child element with exactly this name; a null handle when none.
    XmlElement child(const QString &name) const;

    // Appends a new element as the last child, in this element's namespace,
    // and returns it. A name XML does not allow raises KorventError.
    XmlElement appendElement(const QString &name) const;
    // The same with text content (an empty text gives an empty element).
    XmlElement appendTextElement(const QString &name, const QString &text) const;
    // Sets the attribute; a new one goes after those set before.
    void setAttribute(const QString &name, const QString &value) const;
    // Replaces the element's content with the text.
    void setText(const QString &text) const;
    // Appends text after the content so far. An element that holds text is
    // written as built, without indentation: line breaks laid out by hand.
    void appendText(const QString &text) const;

private:
    friend class XmlDocument;
    explicit XmlElement(_xmlNode *node)
        : m_node(node)
    {
    }

    _xmlNode *m_node = nullptr;
};

class XmlDocument
{
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument &) = delete;
    XmlDocument &operator=(const XmlDocument &) = delete;

    // Discards the document; the object is empty afterwards.
    void close();
    bool isEmpty() const { return m_document == nullptr; }

    // Replaces the document with the file's. A file that cannot be read or is
    // not well-formed raises KorventError naming the file, the parser's reason
    // and the line; the object is then empty. No DTD or external entity is fetched.
    void load(const QString &fileName);
    // The same for bytes already read; `sourceName` names them in an error.
    void loadBytes(const QByteArray &bytes, const QString &sourceName);

    // The document element; a null handle when the document is empty.
    XmlElement documentElement() const;

    // Starts a new document with this element, in the default namespace
    // `namespaceUri` when not empty. Elements appended below inherit it.
    XmlElement createDocumentElement(const QString &name, const QString &namespaceUri = QString());
    // Places a processing instruction before the document element. The target
    // "xml" stands for the XML declaration: its data is written as the
    // declaration's, in place of the one the writer would give.
    void insertProcessingInstruction(const QString &target, const QString &data);

    // The whole document as a file holds it, indented, in the encoding.
    // Without an "xml" instruction the declaration names the encoding.
    QByteArray toBytes(XmlEncoding encoding, XmlEmptyElements empty = XmlEmptyElements::SelfClosing) const;

private:
    _xmlDoc *m_document = nullptr;
    QString m_declaration; // data of an "xml" instruction; empty for the writer's own
};
