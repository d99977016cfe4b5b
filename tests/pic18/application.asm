; An application for the node's Flash above the monitor: code, a table, EEPROM bytes
; and configuration bits, as a real image has them.
        list    p=18f6520, r=dec
        #include <p18f6520.inc>

        ; The program leaves configuration bits out: the chip keeps the monitor's.
        config  OSC = RC, WDT = ON

        org     0x2000
start:  clrf    LATD, ACCESS
        clrf    TRISD, ACCESS
count:  incf    LATD, F, ACCESS
        bra     count

        ; A table past a block edge, read with TBLRD.
        org     0x2130
table:  db      "Velmora on a PIC18F6520", 0
        dw      0x1234, 0xABCD, 0x0000, 0xFFFF

        ; Code at the top of the chip's Flash.
        org     0x7FC0
last:   goto    start

        org     0xF00010
        de      0x11, 0x22, 0x33, 0x44
        de      "EE"
        end
