
#include "sync/dav_types.h"
#include "sync/texts.h"

namespace quorvel::sync {

QString DavError::Message() const {
  switch (kind) {
    case DavErrorKind::kNone:
      return QString();
    case DavErrorKind::kInsecure:
      return SyncTexts::tr(
          "The server address must start with https:// (plain http:// is only "
          "accepted for a server on this computer).");
    case DavErrorKind::kLoginInAddress:
      return SyncTexts::tr(
                 "The address %1 must not hold a user name or password. Give the user name in its "
                 "own field; the password is kept in the desktop's secret store, never in a file.")
          .arg(where.toDisplayString());
    case DavErrorKind::kForeignAddress:
      return SyncTexts::tr(
                 "The address %1 is not on the server you named (%2), so Quorvel does not use it "
                 "and sends no password there. Choose the calendar and address book again in the "
                 "sync settings.")
          .arg(where.toDisplayString(), detail);
    case DavErrorKind::kRedirected:
      return SyncTexts::tr(
                 "The server sent Quorvel on to another address (%1, status %2). The password is "
                 "only sent to the server you named: if that address is right, enter it as the "
                 "server address.")
          .arg(where.isValid() ? where.toDisplayString() : QStringLiteral("?"))
          .arg(status);
    case DavErrorKind::kUnknownServer:
      return SyncTexts::tr(
          "The server could not be found. Check the server address and "
          "the network connection.");
    case DavErrorKind::kUnreachable:
      return SyncTexts::tr(
                 "The server did not answer (%1). Check the network connection "
                 "and try again later.")
          .arg(detail);
    case DavErrorKind::kTimedOut:
      return SyncTexts::tr(
                 "The server took longer than %1 seconds to answer one request (%2). Try again "
                 "later.")
          .arg(limit)
          .arg(detail);
    case DavErrorKind::kRunTooLong:
      if (limit >= 120 && limit % 60 == 0) {
        return SyncTexts::tr(
                   "The sync took longer than %1 minutes and was stopped. Nothing was lost: the "
                   "next sync finishes what this one began.")
            .arg(limit / 60);
      }
      return SyncTexts::tr(
                 "The sync took longer than %1 seconds and was stopped. Nothing was lost: the "
                 "next sync finishes what this one began.")
          .arg(limit);
    case DavErrorKind::kTooLarge:
      return SyncTexts::tr(
                 "The server's reply to %1 was larger than Quorvel accepts (more than %2 MiB), so "
                 "the sync stopped. Nothing was changed here by that reply.")
          .arg(detail)
          .arg(limit);
    case DavErrorKind::kTooMany:
      return SyncTexts::tr(
                 "The server's reply to %1 listed more than %2 items, more than Quorvel accepts, "
                 "so the sync stopped. Nothing was changed here by that reply.")
          .arg(detail)
          .arg(limit);
    case DavErrorKind::kCertificate:
      return SyncTexts::tr(
                 "The server's certificate was not accepted (%1). The "
                 "connection is not safe, so nothing was sent.")
          .arg(detail);
    case DavErrorKind::kWrongPassword:
      return SyncTexts::tr(
          "The server refused the user name or password. Check them in "
          "the sync settings.");
    case DavErrorKind::kForbidden:
      return SyncTexts::tr("The server does not allow this account to do that (403).");
    case DavErrorKind::kNotFound:
      return SyncTexts::tr(
                 "The calendar or address book was not found on the server "
                 "(%1). Choose it again in the sync settings.")
          .arg(status);
    case DavErrorKind::kPrecondition:
      return SyncTexts::tr("The item was changed on the server meanwhile (412).");
    case DavErrorKind::kQuotaFull:
      return SyncTexts::tr(
          "The account on the server is full (507): free some space "
          "there, then sync again.");
    case DavErrorKind::kBadReply:
      return SyncTexts::tr(
                 "The server's reply was not understood (%1). Is the address "
                 "that of a CalDAV/CardDAV server?")
          .arg(detail);
    case DavErrorKind::kServer:
      return SyncTexts::tr("The server reported an error (%1 %2).").arg(status).arg(detail);
    case DavErrorKind::kStopped:
      return SyncTexts::tr(
          "Sync stopped. Nothing was lost: the next sync "
          "finishes what this one began.");
  }
  return QString();
}

bool DavError::EndsRun() const {
  switch (kind) {
    case DavErrorKind::kInsecure:
    case DavErrorKind::kLoginInAddress:
    case DavErrorKind::kForeignAddress:
    case DavErrorKind::kRedirected:
    case DavErrorKind::kUnknownServer:
    case DavErrorKind::kUnreachable:
    case DavErrorKind::kRunTooLong:
    case DavErrorKind::kTooLarge:
    case DavErrorKind::kTooMany:
    case DavErrorKind::kCertificate:
    case DavErrorKind::kWrongPassword:
    case DavErrorKind::kQuotaFull:
    case DavErrorKind::kStopped:
      return true;
    default:
      return false;
  }
}

}  // namespace quorvel::sync
