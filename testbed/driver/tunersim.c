/* tunersim.sys: a substitute for the USB TV tuner's kernel driver, test
 * equipment only. A WDM function driver for root-enumerated devices: each
 * device registers the tuner interface and answers the identify request the
 * way its installer-chosen behaviour says (see tunersim_protocol.h).
 * x64 only. Runs in Wine's winedevice.exe; code that exists only because
 * Wine's kernel emulation differs from Windows is marked "Wine:". */

#include <ntddk.h>

#include "tunersim_protocol.h"

/* Documented, exported, but declared only in ntifs.h. */
NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                              PLARGE_INTEGER timeout);

static const GUID kInterfaceGuid = TUNERSIM_INTERFACE_GUID_INIT;
static const ULONG kRemoveLockTag = 0x6d695354; /* "TSim" */

/* Flags kept in DriverContext[1] of a held request. */
enum { kHeldCancellable = 1, kHeldTimed = 2 };

typedef struct Tuner {
    PDEVICE_OBJECT lower;
    PDEVICE_OBJECT pdo;
    IO_REMOVE_LOCK removeLock; /* every IRP we own holds it until completed */
    UNICODE_STRING link;       /* interface symbolic link, once registered */
    BOOLEAN interfaceOn;
    ULONG mode; /* enum TunerMode */
    UCHAR model;
    ULONG delayMs;
    KSPIN_LOCK lock; /* guards held and stopping */
    LIST_ENTRY held; /* pending requests (Tail.Overlay.ListEntry), oldest first */
    BOOLEAN stopping;
    KEVENT wake;             /* wakes the worker: a new timed request, or stop */
    HANDLE worker;           /* thread answering timed requests; NULL if none */
    LONGLONG ticksPerSecond; /* KeQueryPerformanceCounter frequency */
} Tuner;

static LONGLONG NowTicks(void)
{
    return KeQueryPerformanceCounter(NULL).QuadPart;
}

static LONGLONG DueOf(PIRP irp)
{
    return (LONGLONG)(LONG_PTR)irp->Tail.Overlay.DriverContext[0];
}

static ULONG_PTR HeldFlags(PIRP irp)
{
    return (ULONG_PTR)irp->Tail.Overlay.DriverContext[1];
}

/* ---- Configuration ---------------------------------------------------- */

static ULONG ReadDword(HANDLE key, PCWSTR name, ULONG fallback)
{
    ULONG buffer[(sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)) / sizeof(ULONG) + 1];
    PKEY_VALUE_PARTIAL_INFORMATION info = (PKEY_VALUE_PARTIAL_INFORMATION)buffer;
    UNICODE_STRING valueName;
    ULONG length = 0;
    RtlInitUnicodeString(&valueName, name);
    if (NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, info,
                                   sizeof(buffer), &length)) &&
        info->Type == REG_DWORD && info->DataLength == sizeof(ULONG))
        return *(const ULONG*)info->Data;
    return fallback;
}

/* The installer writes the behaviour into Enum\ROOT\<name>\000n\Device Parameters. */
static void ReadBehaviour(Tuner* t)
{
    HANDLE key;
    t->mode = kModeAnswer;
    t->model = 0xF4;
    t->delayMs = 0;
    if (!NT_SUCCESS(IoOpenDeviceRegistryKey(t->pdo, PLUGPLAY_REGKEY_DEVICE, KEY_READ, &key)))
        return;
    t->mode = ReadDword(key, TUNERSIM_VALUE_MODE, kModeAnswer);
    t->model = (UCHAR)ReadDword(key, TUNERSIM_VALUE_MODEL, 0xF4);
    t->delayMs = ReadDword(key, TUNERSIM_VALUE_DELAY, 0);
    ZwClose(key);
}

/* ---- Completing requests ---------------------------------------------- */

static NTSTATUS Finish(Tuner* t, PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    IoReleaseRemoveLock(&t->removeLock, irp);
    return status;
}

static void Answer(Tuner* t, PIRP irp, ULONG length)
{
    PUCHAR buffer = (PUCHAR)irp->AssociatedIrp.SystemBuffer;
    for (ULONG i = 0; i < kIdentifySize; ++i) buffer[i] = kIdentifyRequest[i];
    buffer[0] = kReplyMarker;
    buffer[kModelOffset] = t->model;
    Finish(t, irp, STATUS_SUCCESS, length);
}

/* Only the exact identify request is accepted, so a caller sending anything
 * else is caught at once, whatever the device's behaviour. */
static NTSTATUS CheckRequest(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const UCHAR* buffer = (const UCHAR*)irp->AssociatedIrp.SystemBuffer;
    if (stack->Parameters.DeviceIoControl.IoControlCode != TUNERSIM_IDENTIFY_IOCTL)
        return STATUS_INVALID_DEVICE_REQUEST;
    if (stack->Parameters.DeviceIoControl.InputBufferLength != kIdentifySize ||
        stack->Parameters.DeviceIoControl.OutputBufferLength != kIdentifySize || !buffer)
        return STATUS_INVALID_PARAMETER;
    for (ULONG i = 0; i < kIdentifySize; ++i) {
        if (buffer[i] != kIdentifyRequest[i]) return STATUS_INVALID_PARAMETER;
    }
    return STATUS_SUCCESS;
}

/* ---- Held requests ------------------------------------------------------ */

/* Takes a held request off the list (lock held). FALSE when its cancel
 * routine has already been started: that routine then completes it. */
static BOOLEAN ClaimLocked(PIRP irp)
{
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    if ((HeldFlags(irp) & kHeldCancellable) && IoSetCancelRoutine(irp, NULL) == NULL) {
        InitializeListHead(&irp->Tail.Overlay.ListEntry); /* its RemoveEntryList becomes a no-op */
        return FALSE;
    }
    return TRUE;
}

static VOID NTAPI OnCancel(PDEVICE_OBJECT device, PIRP irp)
{
    Tuner* t = (Tuner*)device->DeviceExtension;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&t->lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&t->lock, irql);
    Finish(t, irp, STATUS_CANCELLED, 0);
}

static NTSTATUS Hold(Tuner* t, PIRP irp, BOOLEAN cancellable, BOOLEAN timed)
{
    ULONG_PTR flags = (cancellable ? kHeldCancellable : 0) | (timed ? kHeldTimed : 0);
    LONGLONG due = NowTicks() + (LONGLONG)t->delayMs * t->ticksPerSecond / 1000;
    KIRQL irql;

    IoMarkIrpPending(irp);
    irp->Tail.Overlay.DriverContext[0] = (PVOID)(LONG_PTR)due;
    irp->Tail.Overlay.DriverContext[1] = (PVOID)flags;

    KeAcquireSpinLock(&t->lock, &irql);
    if (t->stopping) {
        KeReleaseSpinLock(&t->lock, irql);
        Finish(t, irp, STATUS_DELETE_PENDING, 0);
        return STATUS_PENDING;
    }
    InsertTailList(&t->held, &irp->Tail.Overlay.ListEntry);
    if (cancellable) {
        IoSetCancelRoutine(irp, OnCancel);
        if (irp->Cancel && IoSetCancelRoutine(irp, NULL) != NULL) {
            /* Cancelled before the routine was in place: ours to complete. */
            RemoveEntryList(&irp->Tail.Overlay.ListEntry);
            KeReleaseSpinLock(&t->lock, irql);
            Finish(t, irp, STATUS_CANCELLED, 0);
            return STATUS_PENDING;
        }
    }
    KeReleaseSpinLock(&t->lock, irql);
    if (timed) KeSetEvent(&t->wake, IO_NO_INCREMENT, FALSE);
    return STATUS_PENDING;
}

/* Answers timed requests when they fall due; exits once the device stops. */
static VOID NTAPI Worker(PVOID context)
{
    Tuner* t = (Tuner*)context;
    for (;;) {
        LIST_ENTRY due;
        LONGLONG now = NowTicks();
        LONGLONG next = 0;
        BOOLEAN stop;
        KIRQL irql;

        InitializeListHead(&due);
        KeAcquireSpinLock(&t->lock, &irql);
        stop = t->stopping;
        for (PLIST_ENTRY entry = t->held.Flink; !stop && entry != &t->held;) {
            PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
            entry = entry->Flink;
            if (!(HeldFlags(irp) & kHeldTimed)) continue;
            if (DueOf(irp) <= now) {
                if (ClaimLocked(irp)) InsertTailList(&due, &irp->Tail.Overlay.ListEntry);
            } else if (next == 0 || DueOf(irp) < next) {
                next = DueOf(irp);
            }
        }
        KeReleaseSpinLock(&t->lock, irql);

        while (!IsListEmpty(&due))
            Answer(t, CONTAINING_RECORD(RemoveHeadList(&due), IRP, Tail.Overlay.ListEntry),
                   kIdentifySize);
        if (stop) break;

        if (next) {
            LONGLONG ticks = next - now;
            /* Relative, in 100 ns units, rounded up; split to avoid overflow. */
            LARGE_INTEGER timeout;
            timeout.QuadPart = -((ticks / t->ticksPerSecond) * 10000000 +
                                 (ticks % t->ticksPerSecond) * 10000000 / t->ticksPerSecond + 1);
            KeWaitForSingleObject(&t->wake, Executive, KernelMode, FALSE, &timeout);
        } else {
            KeWaitForSingleObject(&t->wake, Executive, KernelMode, FALSE, NULL);
        }
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

/* ---- Start and removal -------------------------------------------------- */

static NTSTATUS NTAPI OnLowerDone(PDEVICE_OBJECT device, PIRP irp, PVOID context)
{
    UNREFERENCED_PARAMETER(device);
    UNREFERENCED_PARAMETER(irp);
    KeSetEvent((PKEVENT)context, IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED; /* we complete it after looking */
}

/* Passes an IRP down and waits for it. Wine: IoForwardIrpSynchronously is an
 * unimplemented stub in Wine 8, so this is the long-hand version. */
static NTSTATUS ForwardAndWait(Tuner* t, PIRP irp)
{
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, OnLowerDone, &done, TRUE, TRUE, TRUE);
    if (IoCallDriver(t->lower, irp) == STATUS_PENDING)
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
    return irp->IoStatus.Status;
}

static void EnableInterface(Tuner* t)
{
    NTSTATUS status = IoRegisterDeviceInterface(t->pdo, &kInterfaceGuid, NULL, &t->link);
    if (!NT_SUCCESS(status)) return;
    t->interfaceOn = NT_SUCCESS(IoSetDeviceInterfaceState(&t->link, TRUE));
    if (t->interfaceOn && t->mode == kModeRefuse) {
        /* Wine: IRP_MJ_CREATE's status is ignored, so refusing the open there
         * (DispatchCreateClose) is not enough. With its symbolic link gone the
         * interface stays listed (presence is a registry value) but CreateFileW
         * on its path fails with ERROR_FILE_NOT_FOUND. */
        IoDeleteSymbolicLink(&t->link);
    }
}

static void DisableInterface(Tuner* t)
{
    if (!t->interfaceOn) return;
    if (t->mode == kModeRefuse) {
        /* Wine: disabling deletes the link and gives up half-way if it is
         * missing, leaving Wine's record of the interface "enabled": the next
         * device with this instance ID could then never enable it. So put the
         * link back first, pointing at the PDO as Wine made it. */
        WCHAR name[128];
        ULONG length = 0;
        UNICODE_STRING target;
        if (NT_SUCCESS(IoGetDeviceProperty(t->pdo, DevicePropertyPhysicalDeviceObjectName,
                                           sizeof(name) - sizeof(WCHAR), name, &length))) {
            name[length / sizeof(WCHAR)] = 0;
            RtlInitUnicodeString(&target, name);
            IoCreateSymbolicLink(&t->link, &target);
        }
    }
    IoSetDeviceInterfaceState(&t->link, FALSE);
    t->interfaceOn = FALSE;
}

static NTSTATUS StartTuner(Tuner* t)
{
    EnableInterface(t);
    if ((t->mode == kModeLate || (t->mode == kModeHangNoCancel && t->delayMs)) && !t->worker) {
        NTSTATUS status =
            PsCreateSystemThread(&t->worker, THREAD_ALL_ACCESS, NULL, NULL, NULL, Worker, t);
        if (!NT_SUCCESS(status)) {
            t->worker = NULL;
            return status;
        }
    }
    return STATUS_SUCCESS;
}

/* Completes every held request as cancelled, stops the worker and withdraws
 * the interface. Safe to call twice (surprise removal, then removal). */
static void StopTuner(Tuner* t)
{
    LIST_ENTRY claimed;
    KIRQL irql;

    InitializeListHead(&claimed);
    KeAcquireSpinLock(&t->lock, &irql);
    t->stopping = TRUE;
    while (!IsListEmpty(&t->held)) {
        PIRP irp = CONTAINING_RECORD(t->held.Flink, IRP, Tail.Overlay.ListEntry);
        if (ClaimLocked(irp)) InsertTailList(&claimed, &irp->Tail.Overlay.ListEntry);
    }
    KeReleaseSpinLock(&t->lock, irql);

    if (t->worker) {
        KeSetEvent(&t->wake, IO_NO_INCREMENT, FALSE);
        ZwWaitForSingleObject(t->worker, FALSE, NULL);
        ZwClose(t->worker);
        t->worker = NULL;
    }
    while (!IsListEmpty(&claimed))
        Finish(t, CONTAINING_RECORD(RemoveHeadList(&claimed), IRP, Tail.Overlay.ListEntry),
               STATUS_CANCELLED, 0);
    DisableInterface(t);
}

/* ---- Dispatch ------------------------------------------------------------ */

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp)
{
    Tuner* t = (Tuner*)device->DeviceExtension;
    NTSTATUS status = STATUS_SUCCESS;
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_CREATE && t->mode == kModeRefuse)
        status = STATUS_ACCESS_DENIED; /* how Windows would refuse; see EnableInterface for Wine */
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    Tuner* t = (Tuner*)device->DeviceExtension;
    NTSTATUS status = IoAcquireRemoveLock(&t->removeLock, irp);
    if (!NT_SUCCESS(status)) {
        irp->IoStatus.Status = status;
        irp->IoStatus.Information = 0;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return status;
    }
    status = CheckRequest(irp);
    if (!NT_SUCCESS(status)) return Finish(t, irp, status, 0);

    switch (t->mode) {
    case kModeAnswer:
        Answer(t, irp, kIdentifySize);
        return STATUS_SUCCESS;
    case kModeShort:
        Answer(t, irp, kIdentifySize - 1);
        return STATUS_SUCCESS;
    case kModeFail:
        return Finish(t, irp, STATUS_IO_DEVICE_ERROR, 0);
    case kModeLate:
        return Hold(t, irp, TRUE, TRUE);
    case kModeHang:
        return Hold(t, irp, TRUE, FALSE);
    case kModeHangNoCancel:
        return Hold(t, irp, FALSE, t->delayMs != 0);
    default: /* kModeRefuse: nobody should have got a handle */
        return Finish(t, irp, STATUS_INVALID_DEVICE_STATE, 0);
    }
}

static NTSTATUS NTAPI DispatchPnp(PDEVICE_OBJECT device, PIRP irp)
{
    Tuner* t = (Tuner*)device->DeviceExtension;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = IoAcquireRemoveLock(&t->removeLock, irp);
    if (!NT_SUCCESS(status)) {
        irp->IoStatus.Status = status;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return status;
    }

    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        status = ForwardAndWait(t, irp);
        if (NT_SUCCESS(status)) status = StartTuner(t);
        return Finish(t, irp, status, 0);

    case IRP_MN_SURPRISE_REMOVAL:
        StopTuner(t);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;

    case IRP_MN_REMOVE_DEVICE:
        StopTuner(t);
        IoReleaseRemoveLockAndWait(&t->removeLock, irp); /* cancel routines still running */
        irp->IoStatus.Status = STATUS_SUCCESS;
        IoSkipCurrentIrpStackLocation(irp);
        status = IoCallDriver(t->lower, irp);
        IoDetachDevice(t->lower);
        RtlFreeUnicodeString(&t->link);
        IoDeleteDevice(device);
        return status;

    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;

    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    status = IoCallDriver(t->lower, irp);
    IoReleaseRemoveLock(&t->removeLock, irp);
    return status;
}

static NTSTATUS NTAPI DispatchPower(PDEVICE_OBJECT device, PIRP irp)
{
    Tuner* t = (Tuner*)device->DeviceExtension;
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(t->lower, irp);
}

static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo)
{
    PDEVICE_OBJECT fdo;
    Tuner* t;
    LARGE_INTEGER frequency;
    NTSTATUS status = IoCreateDevice(driver, sizeof(Tuner), NULL, FILE_DEVICE_UNKNOWN,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &fdo);
    if (!NT_SUCCESS(status)) return status;

    t = (Tuner*)fdo->DeviceExtension;
    RtlZeroMemory(t, sizeof(*t));
    t->pdo = pdo;
    IoInitializeRemoveLock(&t->removeLock, kRemoveLockTag, 0, 0);
    KeInitializeSpinLock(&t->lock);
    InitializeListHead(&t->held);
    KeInitializeEvent(&t->wake, SynchronizationEvent, FALSE);
    KeQueryPerformanceCounter(&frequency);
    t->ticksPerSecond = frequency.QuadPart;
    ReadBehaviour(t);

    t->lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    if (!t->lower) {
        IoDeleteDevice(fdo);
        return STATUS_NO_SUCH_DEVICE;
    }
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

/* Devices are all gone by the time the service stops. Wine: a driver without
 * an unload routine never finishes stopping (nor frees its file), so have one. */
static VOID NTAPI DriverUnload(PDRIVER_OBJECT driver)
{
    UNREFERENCED_PARAMETER(driver);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    UNREFERENCED_PARAMETER(registryPath);
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    /* Held requests outlive a closed handle; they end by answer, cancel or removal. */
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
