/* What the substitute tuner driver (tunersim.sys) and its installer
 * agree on: the interface class, the identify request and the per-device
 * parameters. Plain C so the kernel driver can include it too. */
#ifndef TUNERSIM_PROTOCOL_H
#define TUNERSIM_PROTOCOL_H

/* {5A56D255-E23A-4B4D-8C78-C265930B6C68}, spelled out so each side builds its own GUID. */
#define TUNERSIM_INTERFACE_GUID_INIT                                                               \
    {                                                                                              \
        0x5a56d255, 0xe23a, 0x4b4d,                                                                \
        {                                                                                          \
            0x8c, 0x78, 0xc2, 0x65, 0x93, 0x0b, 0x6c, 0x68                                         \
        }                                                                                          \
    }

/* FILE_DEVICE_UNKNOWN, function 8, METHOD_BUFFERED, FILE_ANY_ACCESS. */
#define TUNERSIM_IDENTIFY_IOCTL 0x220020u

enum { kIdentifySize = 75, kModelOffset = 74 };

/* The only request a tuner accepts; byte 74 of the answer is the model. */
/* clang-format off */
static const unsigned char kIdentifyRequest[kIdentifySize] = {
  0xC0, 0x02, 0x00, 0x30, 0x89, 0x00, 0x25, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x26, 0x00,
  0x00, 0x00, 0x25, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x31, 0x3A, 0x4B, 0x03, 0x00, 0x34, 0x08,
  0x78, 0x00, 0x00, 0x40, 0x7F, 0xDC, 0xAC, 0x0F, 0x00, 0x00, 0x00, 0x01, 0xE3, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0xF4,
};
/* clang-format on */

/* The answer echoes the request with byte 0 set to this reply marker and byte
 * 74 set to the model, so a caller that reads back its own request is caught. */
enum { kReplyMarker = 0xC1 };

/* Device behaviours: REG_DWORD "Mode" in the device's "Device Parameters" key,
 * with "Model" (the byte 74 answered) and "DelayMs" (for late answers). */
enum TunerMode {
    kModeAnswer = 0,       /* answers at once with 75 bytes */
    kModeRefuse = 1,       /* interface listed, but opening it fails */
    kModeShort = 2,        /* answers at once with 74 bytes */
    kModeFail = 3,         /* the request fails (STATUS_IO_DEVICE_ERROR) */
    kModeLate = 4,         /* answers after DelayMs; cancellable meanwhile */
    kModeHang = 5,         /* never answers; cancellable */
    kModeHangNoCancel = 6, /* ignores cancellation; answers after DelayMs, or never if 0 */
};

#define TUNERSIM_VALUE_MODE L"Mode"
#define TUNERSIM_VALUE_MODEL L"Model"
#define TUNERSIM_VALUE_DELAY L"DelayMs"
/* The behaviour string as given, for people reading the registry. */
#define TUNERSIM_VALUE_BEHAVIOUR L"Behaviour"

#endif
