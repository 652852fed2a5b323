#include "base/XmlDocument.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QCoreApplication>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <functional>
#include <mutex>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(XmlDocument)
};

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

const xmlChar *xml(const QByteArray &utf8)
{
    return reinterpret_cast<const xmlChar *>(utf8.constData());
}

QString fromXml(const xmlChar *text)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text));
}

// Text from the database may hold characters XML cannot carry at all (control
// characters, stray surrogates); they are left out so the file stays well-formed.
QByteArray xmlText(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept.append(c);
            kept.append(text.at(++i));
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD);
        if (allowed)
            kept.append(c);
    }
    return kept.toUtf8();
}

QByteArray xmlName(const QString &name)
{
    return name.toUtf8();
}

const char *encodingName(XmlEncoding encoding)
{
    return encoding == XmlEncoding::Latin1 ? "ISO-8859-1" : "UTF-8";
}

int appendToBuffer(void *context, const char *bytes, int length)
{
    static_cast<QByteArray *>(context)->append(bytes, length);
    return length;
}

int closeBuffer(void *)
{
    return 0;
}

// The parser's first error: later ones often follow from it.
struct FirstError
{
    bool set = false;
    QString message;
    int line = 0;
};

// Called with the parser context, which carries the FirstError.
void keepFirstError(void *context, xmlErrorPtr error)
{
    auto *first = static_cast<FirstError *>(static_cast<xmlParserCtxtPtr>(context)->_private);
    if (first->set || !error || error->level < XML_ERR_ERROR)
        return;
    first->set = true;
    first->message = QString::fromUtf8(error->message).trimmed();
    first->line = error->line;
}

// Entity text one read may add. Declared entities are short texts, but a few
// referring to each other, or one referred to thousands of times, stand for
// gigabytes: the parser stops the nesting, the references are expanded here.
constexpr qsizetype MaxEntityText = 1 << 20;

// The text of the nodes and their descendants, entity references expanded, as
// xmlNodeGetContent gives it; false when the entities add more than MaxEntityText.
bool appendText(const xmlNode *first, QByteArray &text, qsizetype &entityText, bool inEntity)
{
    for (const xmlNode *node = first; node; node = node->next) {
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE: {
            const QByteArrayView content(reinterpret_cast<const char *>(node->content));
            if (inEntity && (entityText += content.size()) > MaxEntityText)
                return false;
            text += content;
            break;
        }
        case XML_ELEMENT_NODE:
            if (!appendText(node->children, text, entityText, inEntity))
                return false;
            break;
        case XML_ENTITY_REF_NODE:
            // An external entity is never loaded: it has no children and adds nothing.
            if (const xmlEntity *entity = xmlGetDocEntity(node->doc, node->name))
                if (!appendText(entity->children, text, entityText, true))
                    return false;
            break;
        default:
            break;
        }
    }
    return true;
}

// The text of the nodes; `what` names them when their entities expand beyond reason.
QString textOf(const xmlNode *first, const std::function<QString()> &what)
{
    QByteArray text;
    qsizetype entityText = 0;
    if (!appendText(first, text, entityText, false))
        throw KorventError(Texts::tr("%1 expands its entities to more than %2 bytes").arg(what()).arg(MaxEntityText));
    return QString::fromUtf8(text);
}

} // namespace

QString XmlElement::name() const
{
    return m_node ? fromXml(m_node->name) : QString();
}

QString XmlElement::text() const
{
    if (!m_node)
        return QString();
    return textOf(m_node->children, [this] {
        return Texts::tr("The text of element %1 (line %2)").arg(name()).arg(xmlGetLineNo(m_node));
    });
}

QString XmlElement::attribute(const QString &name) const
{
    if (!m_node)
        return QString();
    const QByteArray wanted = xmlName(name);
    const xmlAttr *attribute = xmlHasProp(m_node, xml(wanted));
    if (!attribute)
        return QString();
    if (attribute->type != XML_ATTRIBUTE_NODE) {
        // A default value of the document type: a plain text.
        xmlChar *value = xmlGetProp(m_node, xml(wanted));
        const QString text = fromXml(value);
        xmlFree(value);
        return text;
    }
    return textOf(attribute->children, [&] {
        return Texts::tr("The attribute %1 of element %2 (line %3)").arg(name, this->name()).arg(xmlGetLineNo(m_node));
    });
}

QList<XmlElement> XmlElement::children() const
{
    QList<XmlElement> elements;
    if (!m_node)
        return elements;
    for (xmlNode *node = m_node->children; node; node = node->next)
        if (node->type == XML_ELEMENT_NODE)
            elements.append(XmlElement(node));
    return elements;
}

XmlElement XmlElement::child(const QString &name) const
{
    if (!m_node)
        return XmlElement();
    const QByteArray wanted = xmlName(name);
    for (xmlNode *node = m_node->children; node; node = node->next)
        if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, xml(wanted)))
            return XmlElement(node);
    return XmlElement();
}

XmlElement XmlElement::appendElement(const QString &name) const
{
    Q_ASSERT(m_node);
    const QByteArray elementName = xmlName(name);
    // libxml2 would write any name, and the file would not read back; a
    // prefix ("a:b") would need a namespace that nothing declares.
    if (xmlValidateNCName(xml(elementName), 0) != 0)
        throw KorventError(Texts::tr("\"%1\" cannot be the name of an XML element").arg(name));
    // A null namespace makes the child take its parent's.
    return XmlElement(xmlNewChild(m_node, nullptr, xml(elementName), nullptr));
}

XmlElement XmlElement::appendTextElement(const QString &name, const QString &text) const
{
    const XmlElement element = appendElement(name);
    element.setText(text);
    return element;
}

void XmlElement::setAttribute(const QString &name, const QString &value) const
{
    Q_ASSERT(m_node);
    xmlSetProp(m_node, xml(xmlName(name)), xml(xmlText(value)));
}

void XmlElement::setText(const QString &text) const
{
    Q_ASSERT(m_node);
    xmlNodeSetContent(m_node, nullptr);
    const QByteArray content = xmlText(text);
    // A text node is taken literally: "&amp;" in the text stays those five characters.
    if (!content.isEmpty())
        xmlAddChild(m_node, xmlNewDocText(m_node->doc, xml(content)));
}

void XmlElement::appendText(const QString &text) const
{
    Q_ASSERT(m_node);
    const QByteArray content = xmlText(text);
    if (!content.isEmpty())
        xmlAddChild(m_node, xmlNewDocText(m_node->doc, xml(content)));
}

XmlDocument::XmlDocument()
{
    initialiseLibrary();
}

XmlDocument::~XmlDocument()
{
    close();
}

void XmlDocument::close()
{
    if (m_document)
        xmlFreeDoc(m_document);
    m_document = nullptr;
    m_declaration.clear();
}

void XmlDocument::load(const QString &fileName)
{
    close();
    loadBytes(ReadFileBytes(fileName), fileName);
}

void XmlDocument::loadBytes(const QByteArray &bytes, const QString &sourceName)
{
    close();
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        throw KorventError(Texts::tr("Cannot read %1: out of memory").arg(sourceName));
    FirstError firstError;
    context->sax->serror = keepFirstError;
    context->_private = &firstError;
    // No network, no DTD and no external entities: the file alone is read.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr document = xmlCtxtReadMemory(context, bytes.constData(), static_cast<int>(bytes.size()),
                                           sourceName.toUtf8().constData(), nullptr, options);
    const bool wellFormed = document && context->wellFormed;
    xmlFreeParserCtxt(context);
    if (!wellFormed) {
        if (document)
            xmlFreeDoc(document);
        const QString reason = firstError.set ? firstError.message : Texts::tr("unreadable");
        throw KorventError(Texts::tr("%1 is not a well-formed XML file: %2 (line %3)").arg(sourceName, reason).arg(firstError.line));
    }
    m_document = document;
}

XmlElement XmlDocument::documentElement() const
{
    return XmlElement(m_document ? xmlDocGetRootElement(m_document) : nullptr);
}

XmlElement XmlDocument::createDocumentElement(const QString &name, const QString &namespaceUri)
{
    close();
    m_document = xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0"));
    xmlNode *root = xmlNewDocNode(m_document, nullptr, xml(xmlName(name)), nullptr);
    xmlDocSetRootElement(m_document, root);
    if (!namespaceUri.isEmpty())
        xmlSetNs(root, xmlNewNs(root, xml(xmlText(namespaceUri)), nullptr));
    return XmlElement(root);
}

void XmlDocument::insertProcessingInstruction(const QString &target, const QString &data)
{
    if (target == QLatin1String("xml")) {
        m_declaration = data;
        return;
    }
    if (!m_document)
        m_document = xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0"));
    xmlNode *instruction = xmlNewDocPI(m_document, xml(xmlName(target)), xml(xmlText(data)));
    if (xmlNode *root = xmlDocGetRootElement(m_document))
        xmlAddPrevSibling(root, instruction);
    else
        xmlAddChild(reinterpret_cast<xmlNode *>(m_document), instruction);
}

QByteArray XmlDocument::toBytes(XmlEncoding encoding, XmlEmptyElements empty) const
{
    const QString declaration = m_declaration.isEmpty()
        ? QStringLiteral("version=\"1.0\" encoding=\"%1\"").arg(QLatin1String(encodingName(encoding)))
        : m_declaration;
    QByteArray bytes = QByteArrayLiteral("<?xml ") + xmlText(declaration) + QByteArrayLiteral("?>\n");
    if (!m_document)
        return bytes;
    int options = XML_SAVE_FORMAT | XML_SAVE_NO_DECL;
    if (empty == XmlEmptyElements::EndTag)
        options |= XML_SAVE_NO_EMPTY;
    xmlSaveCtxtPtr writer = xmlSaveToIO(appendToBuffer, closeBuffer, &bytes, encodingName(encoding), options);
    if (!writer)
        throw KorventError(Texts::tr("The XML document cannot be written in %1").arg(QLatin1String(encodingName(encoding))));
    const long written = xmlSaveDoc(writer, m_document);
    if (xmlSaveClose(writer) < 0 || written < 0)
        throw KorventError(Texts::tr("The XML document cannot be written in %1").arg(QLatin1String(encodingName(encoding))));
    return bytes;
}
