#!/usr/bin/python3
"""A Modbus ASCII slave from the stock pymodbus library on a serial device.

Usage: pymodbus_slave.py DEVICE UNIT

Serves holding registers 0x0000-0x00FF (zero based, as on the wire) for one
unit id at 9600 8N1. Prints "ready" once the device is open and one line
"write START: HHHH HHHH ..." for every register write it stores, so the test
sees what reached the slave's memory. Works with pymodbus 2.5 and 3.x.
"""
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.transaction import ModbusAsciiFramer

REGISTERS = 0x100


class ReportingBlock(ModbusSequentialDataBlock):
    """Holding registers that report every write on stdout."""

    def setValues(self, address, values, *args, **kwargs):  # noqa: N802 (library name)
        super().setValues(address, values, *args, **kwargs)
        words = values if isinstance(values, list) else [values]
        print("write %04X: %s" % (address, " ".join("%04X" % w for w in words)), flush=True)


def make_context(unit):
    block = ReportingBlock(0, [0] * REGISTERS)
    store = ModbusSlaveContext(hr=block, zero_mode=True)
    return ModbusServerContext(slaves={unit: store}, single=False)


def serve_v3(device, context):
    import asyncio
    from pymodbus.server import StartAsyncSerialServer

    async def run():
        server = await StartAsyncSerialServer(
            context=context, framer=ModbusAsciiFramer, port=device, baudrate=9600,
            bytesize=8, parity="N", stopbits=1, timeout=1, defer_start=True)
        await server.start()
        if server.transport is None:
            raise SystemExit("cannot open %s" % device)
        print("ready", flush=True)
        await server.serve_forever()

    asyncio.run(run())


def serve_v2(device, context):
    from pymodbus.server.sync import StartSerialServer
    # The synchronous server opens the device inside the call; the pty keeps
    # what arrives before that.
    print("ready", flush=True)
    StartSerialServer(context, framer=ModbusAsciiFramer, port=device, baudrate=9600,
                      bytesize=8, parity="N", stopbits=1, timeout=1)


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: pymodbus_slave.py DEVICE UNIT")
    device, unit = sys.argv[1], int(sys.argv[2])
    context = make_context(unit)
    try:
        import pymodbus.server.sync  # noqa: F401 (present only in 2.x)
    except ImportError:
        serve_v3(device, context)
    else:
        serve_v2(device, context)


if __name__ == "__main__":
    main()
