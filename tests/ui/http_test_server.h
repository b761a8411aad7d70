#pragma once
// A small HTTP server on 127.0.0.1 for the update tests, running in the
// test's own event loop, over TLS when given a configuration.  Each path
// answers with a fixed response; a stalled response sends part of its body
// and then nothing more; a dripping one sends a few bytes at a time.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslServer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace km::test {

struct HttpResponse {
  enum Mode { Whole, CloseDelimited, Stall, Drip, Cut };
  int status = 200;
  QByteArray reason = "OK";
  QByteArray body;
  QByteArray location;  // Location header of a redirect
  QByteArray encoding;  // Content-Encoding header
  Mode mode = Whole;
  qsizetype stallAfter = 0;  // bytes of the body sent before a stall, or before a cut
  qsizetype dripBytes = 1;   // a drip: this many bytes every dripMs
  int dripMs = 5;
  bool announced = true;  // a Content-Length header (never for a close-delimited body)
};

class HttpTestServer {
 public:
  explicit HttpTestServer(const QSslConfiguration* tls = nullptr) : tls_(tls != nullptr) {
    if (tls) {
      auto* s = new QSslServer;
      s->setSslConfiguration(*tls);
      server_.reset(s);
    } else {
      server_ = std::make_unique<QTcpServer>();
    }
    server_->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, [this] {
      while (QTcpSocket* s = server_->nextPendingConnection()) {
        sockets_.append(s);
        ++connections_;
        QObject::connect(s, &QTcpSocket::readyRead, [this, s] { onRequest(s); });
        if (s->bytesAvailable() > 0) onRequest(s);
      }
    });
  }
  ~HttpTestServer() {
    for (const QPointer<QTcpSocket>& s : sockets_)
      if (s) s->abort();
  }

  bool listening() const { return server_->isListening(); }
  QString url(const QString& path) const {
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(tls_ ? "https" : "http").arg(server_->serverPort()).arg(path);
  }
  void route(const QString& path, const HttpResponse& r) { routes_[path] = r; }
  int requests(const QString& path) const { return hits_.value(path); }
  int connections() const { return connections_; }
  // Bytes of stalled or dripping bodies handed out so far.
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
    if (r.mode != HttpResponse::CloseDelimited && r.announced)
      head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    if (!r.location.isEmpty()) head += "Location: " + r.location + "\r\n";
    if (!r.encoding.isEmpty()) head += "Content-Encoding: " + r.encoding + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    s->write(head);
    if (r.mode == HttpResponse::Stall) {
      s->write(r.body.left(r.stallAfter));
      stalledSent_ += r.stallAfter;
      return;  // and nothing more, until the client gives up
    }
    if (r.mode == HttpResponse::Cut) {  // the connection ends in the middle of the body
      s->write(r.body.left(r.stallAfter));
      s->disconnectFromHost();
      return;
    }
    if (r.mode == HttpResponse::Drip) {
      auto* t = new QTimer(s);
      auto sent = std::make_shared<qsizetype>(0);
      QObject::connect(t, &QTimer::timeout, s, [this, s, t, r, sent] {
        s->write(r.body.mid(*sent, r.dripBytes));
        *sent += r.dripBytes;
        stalledSent_ += r.dripBytes;
        if (*sent >= r.body.size()) {
          t->stop();
          s->disconnectFromHost();
        }
      });
      t->start(r.dripMs);
      return;
    }
    s->write(r.body);
    s->disconnectFromHost();
  }

  bool tls_;
  std::unique_ptr<QTcpServer> server_;
  QList<QPointer<QTcpSocket>> sockets_;
  QMap<QTcpSocket*, QByteArray> pending_;
  QMap<QString, HttpResponse> routes_;
  QMap<QString, int> hits_;
  qint64 stalledSent_ = 0;
  int connections_ = 0;
};

}  // namespace km::test
