#pragma once
// A small HTTP server on 127.0.0.1 for the update tests, running in the
// test's own event loop.  Each path answers with a fixed response; a stalled
// response sends part of its body and then nothing more.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

namespace km::test {

struct HttpResponse {
  enum Mode { Whole, CloseDelimited, Stall };
  int status = 200;
  QByteArray reason = "OK";
  QByteArray body;
  QByteArray location;  // Location header of a redirect
  Mode mode = Whole;
  qsizetype stallAfter = 0;  // bytes of the body sent before a stall
};

class HttpTestServer {
 public:
  HttpTestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        sockets_.append(s);
        ++connections_;
        QObject::connect(s, &QTcpSocket::readyRead, [this, s] { onRequest(s); });
      }
    });
  }
  ~HttpTestServer() {
    for (const QPointer<QTcpSocket>& s : sockets_)
      if (s) s->abort();
  }

  bool listening() const { return server_.isListening(); }
  QString url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
  }
  void route(const QString& path, const HttpResponse& r) { routes_[path] = r; }
  int requests(const QString& path) const { return hits_.value(path); }
  int connections() const { return connections_; }
  // Bytes of stalled bodies handed out so far.
  qint64 stalledBytesSent() const { return stalledSent_; }

 private:
  void onRequest(QTcpSocket* s) {
    QByteArray& buf = pending_[s];
    buf += s->readAll();
    const qsizetype end = buf.indexOf("\r\n\r\n");
    if (end < 0) return;
    const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
    buf.clear();
    const QString path = first.size() >= 2 ? QString::fromLatin1(first[1]) : QString();
    hits_[path] += 1;
    HttpResponse r;
    if (routes_.contains(path)) {
      r = routes_.value(path);
    } else {
      r.status = 404;
      r.reason = "Not Found";
      r.body = "not here";
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " " + r.reason + "\r\n";
    if (r.mode != HttpResponse::CloseDelimited) head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    if (!r.location.isEmpty()) head += "Location: " + r.location + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    s->write(head);
    if (r.mode == HttpResponse::Stall) {
      s->write(r.body.left(r.stallAfter));
      stalledSent_ += r.stallAfter;
      return;  // and nothing more, until the client gives up
    }
    s->write(r.body);
    s->disconnectFromHost();
  }

  QTcpServer server_;
  QList<QPointer<QTcpSocket>> sockets_;
  QMap<QTcpSocket*, QByteArray> pending_;
  QMap<QString, HttpResponse> routes_;
  QMap<QString, int> hits_;
  qint64 stalledSent_ = 0;
  int connections_ = 0;
};

}  // namespace km::test
