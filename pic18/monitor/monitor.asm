;==============================================================================
; Node monitor for the PIC18F6520: a Modbus node that answers the service
; terminal's requests on USART1 (RC6 TX, RC7 RX).
;
; Clock: a 7.3728 MHz crystal (HS), 1.8432 MIPS. With BRGH = 1 every speed the
; terminal offers divides it exactly:
;     115200 -> SPBRG 3, 57600 -> 7, 19200 -> 23, 9600 -> 47.
; A byte at 115200 lasts 160 instruction cycles: receiving one (its CRC
; included) takes about 120, sending one about 100.
;
; The node's link parameters live in data EEPROM, where the terminal's link
; parameter editor writes them:
;     0xFC  vector (shown in the identifier only)
;     0xFD  speed code: 0x15 115200, 0x2A 57600, 0x81 19200, anything else 9600
;     0xFE  i2c address (shown in the identifier only)
;     0xFF  Modbus address; 0x00 and 0xFF (erased) mean 01
; They are read at reset; `initMod` (0x79 55 AA) resets the chip, so a changed
; parameter takes effect then.
;
; Memory the monitor keeps for itself, refused to writes with code 10:
;     Flash 0x0000-0x1FFF (the monitor and its identifier block), RAM
;     0x053-0x05F (its variables) and 0x100-0x1FF (the request buffer), the
;     USART's registers and the core registers from STATUS (0xFD8) up.
;
; A request is cut from the byte stream by its command's length; a line quiet
; for 50 ms drops a partial request. A request with a bad CRC, or for another
; node, is ignored; one to node 00 is carried out without a reply.
;
; RB0 sinks the "waiting" lamp (to Vdd through its resistor): lit while the
; monitor waits for the first byte of a request, dark from then until its
; reply has left the wire, and dark before the monitor has started.
;==============================================================================

        list    p=18f6520, r=dec
        #include <p18f6520.inc>
        errorlevel -302

        config  OSC = HS, OSCS = OFF, PWRT = ON, BOR = ON, BORV = 27
        config  WDT = OFF, CCP2MUX = ON, LVP = OFF, STVR = ON, DEBUG = OFF

;------------------------------------------------------------------------------
; Memory map

FLASH_BOTTOM    equ     0x2000  ; the first address the terminal may write
IDENT_TABLE     equ     0x1F00  ; the identifier block's fixed text fields
BUF             equ     0x100   ; request buffer, bank 1 (BSR stays 1)
BUF_CID         equ     0x00    ; its fields, as banked offsets
BUF_CMD         equ     0x01
BUF_ADRH        equ     0x02
BUF_ADRL        equ     0x03
BUF_N           equ     0x04    ; count, or bit number for 0x72/0x73
BUF_DATA        equ     0x05

; Access RAM 0x000-0x05F; the terminal names 0x050-0x05F. The monitor keeps
; 0x053 up for itself.
REG_MODBUS      equ     0x53    ; this node's address
crcl            equ     0x54    ; CRC16 of the bytes received or sent so far
crch            equ     0x55
bits            equ     0x56    ; bit counter of the CRC
count           equ     0x57    ; bytes received
quiet           equ     0x58    ; nonzero: a broadcast, carried out without a reply
left            equ     0x59    ; bytes still to receive, send or check
ecode           equ     0x5A    ; error reply code
endl            equ     0x5B    ; end of an addressed range (exclusive)
endh            equ     0x5C
tmp             equ     0x5D
speed           equ     0x5E    ; the speed code read at reset
known           equ     0x5F    ; nonzero once the request's length is known
rows            equ     0x5F    ; Flash rows still to write (after receiving)
MONITOR_RAM     equ     0x53    ; the first of them, up to 0x05F

; Reply codes
E_COMMAND       equ     1       ; unknown command
E_FORMAT        equ     2       ; a write of 0 bytes, or more than a frame holds
E_READ_0        equ     3       ; a read of 0 bytes
E_READ_LONG     equ     4       ; a read of more than 249 bytes
E_BIT           equ     5       ; bit number above 7
E_ADDRESS       equ     7       ; no memory there
E_FLASH_64      equ     8       ; a Flash write not of 64 bytes
E_FLASH_BLOCK   equ     9       ; a Flash write not at a block start
E_CLOSED        equ     10      ; the monitor's own memory
E_VERIFY        equ     11      ; Flash differs from the data after the write
E_TERMINATOR    equ     12      ; initialisation without 0x55 0xAA
E_NO_SLAVE      equ     15      ; no i2c module answered

; Timer0, 16 bits at 1:256, ticks every 138.9 us: 360 ticks are the 50 ms gap.
GAP_TICKS       equ     360
T0CON_GAP       equ     b'10000111'

; bnz / bz to a label beyond a short branch's reach.
jnz     macro   label
        btfss   STATUS, Z, ACCESS
        bra     label
        endm
jz      macro   label
        btfsc   STATUS, Z, ACCESS
        bra     label
        endm

; TBLPTR = a Flash address.
load_tblptr macro address
        movlw   upper address
        movwf   TBLPTRU, ACCESS
        movlw   high address
        movwf   TBLPTRH, ACCESS
        movlw   low address
        movwf   TBLPTRL, ACCESS
        endm

;------------------------------------------------------------------------------
; Vectors. The monitor polls; no interrupt is ever enabled.

        org     0x0000
        goto    start
        org     0x0008
        retfie  FAST
        org     0x0018
        retfie

;------------------------------------------------------------------------------
; Reset: link parameters from EEPROM, then the USART, the lamp and the timer.

start:
        movlw   0xFF
        rcall   ee_read
        movwf   REG_MODBUS, ACCESS
        movf    REG_MODBUS, W, ACCESS   ; 00 would hear only broadcasts,
        bz      default_address         ; FF is erased EEPROM: both mean 01
        incf    REG_MODBUS, W, ACCESS
        bnz     address_done
default_address:
        movlw   0x01
        movwf   REG_MODBUS, ACCESS
address_done:
        movlw   0xFD
        rcall   ee_read
        movwf   speed, ACCESS
        rcall   spbrg_of_code
        movwf   SPBRG, ACCESS
        movlw   (1 << TXEN) | (1 << BRGH)
        movwf   TXSTA, ACCESS
        movlw   (1 << SPEN) | (1 << CREN)
        movwf   RCSTA, ACCESS
        bcf     TRISC, 6, ACCESS        ; TX drives the line
        bsf     TRISC, 7, ACCESS
        bsf     LATB, 0, ACCESS         ; the lamp, dark
        bcf     TRISB, 0, ACCESS
        movlw   T0CON_GAP
        movwf   T0CON, ACCESS
        movlw   0x01
        movwf   BSR, ACCESS             ; the request buffer's bank, for good

;------------------------------------------------------------------------------
; Receiving. Each byte goes into the buffer and the CRC at once; a frame whose
; CRC is right leaves the CRC register at zero after its own two CRC bytes.

wait_request:
        bcf     LATB, 0, ACCESS         ; lit
        clrf    count, ACCESS
        clrf    known, ACCESS
        lfsr    2, BUF
        setf    crcl, ACCESS
        setf    crch, ACCESS
first_byte:
        btfss   PIR1, RCIF, ACCESS      ; the bridge may pause the chip here
        bra     first_byte
        bsf     LATB, 0, ACCESS
take_byte:
        rcall   rx_byte                 ; W = the byte; C set if it was spoilt
        bc      skip_request
        movwf   POSTINC2, ACCESS
        rcall   crc_byte
        incf    count, F, ACCESS
        rcall   restart_gap
        movf    known, F, ACCESS
        bnz     counting
        rcall   request_length          ; C set with W = code: no request we know
        bc      unknown_command
        movf    known, F, ACCESS
        bz      next_byte
        bra     whole_yet
counting:
        decf    left, F, ACCESS
whole_yet:
        movf    left, F, ACCESS
        bnz     next_byte
        ; Whole: a bad CRC is noise, a request for another node none of ours.
        movf    crcl, W, ACCESS
        iorwf   crch, W, ACCESS
        bnz     wait_request
        clrf    quiet, ACCESS
        movf    BUF_CID, W, BANKED
        bz      broadcast
        cpfseq  REG_MODBUS, ACCESS
        bra     wait_request
        bra     execute
broadcast:
        setf    quiet, ACCESS
        bra     execute

next_byte:
        btfsc   PIR1, RCIF, ACCESS
        bra     take_byte
        btfss   INTCON, TMR0IF, ACCESS
        bra     next_byte
        bra     wait_request            ; the line fell quiet mid-request

; A command the node does not know, or a write longer than a frame: the
; request's end cannot be told, so the addressed node says what is wrong and
; everything up to the next quiet gap is dropped.
unknown_command:
        movwf   ecode, ACCESS
        clrf    quiet, ACCESS
        movf    BUF_CID, W, BANKED
        cpfseq  REG_MODBUS, ACCESS
        bra     skip_request
        movf    ecode, W, ACCESS
        rcall   error_reply
skip_request:
        btfss   PIR1, RCIF, ACCESS
        bra     skip_wait
        rcall   rx_byte
        rcall   restart_gap
skip_wait:
        btfss   INTCON, TMR0IF, ACCESS
        bra     skip_request
        bra     wait_request

; W = a received byte, C clear; C set when it came with a framing error or
; after an overrun (the receiver is restarted then).
rx_byte:
        btfsc   RCSTA, OERR, ACCESS
        bra     rx_overrun
        bcf     STATUS, C, ACCESS
        btfsc   RCSTA, FERR, ACCESS
        bsf     STATUS, C, ACCESS
        movf    RCREG, W, ACCESS        ; reading clears FERR; C survives movf
        return
rx_overrun:
        bcf     RCSTA, CREN, ACCESS
        bsf     RCSTA, CREN, ACCESS
        bsf     STATUS, C, ACCESS
        return

restart_gap:
        movlw   high (0x10000 - GAP_TICKS)
        movwf   TMR0H, ACCESS           ; buffered; written with TMR0L
        movlw   low (0x10000 - GAP_TICKS)
        movwf   TMR0L, ACCESS
        bcf     INTCON, TMR0IF, ACCESS
        return

; Called for each byte until the request's length is known: then `known` is
; set and `left` holds the bytes still to come. C set with W = reply code for a
; command the node does not know or a write that would not fit in a frame.
request_length:
        bcf     STATUS, C, ACCESS
        movlw   2
        cpfslt  count, ACCESS
        bra     length_by_command
        return
length_by_command:
        movf    BUF_CMD, W, BANKED
        addlw   -0x70
        bnc     length_unknown          ; below 0x70
        movwf   tmp, ACCESS
        movlw   0x0B
        cpfsgt  tmp, ACCESS
        bra     length_table
length_unknown:
        movlw   E_COMMAND
        bsf     STATUS, C, ACCESS
        return
length_table:
        ; 0 in the table: a write, 7 + its count, known from the fifth byte.
        load_tblptr lengths
        movf    tmp, W, ACCESS
        addwf   TBLPTRL, F, ACCESS
        movlw   0
        addwfc  TBLPTRH, F, ACCESS
        tblrd*
        movf    TABLAT, W, ACCESS
        bz      length_of_write
        addlw   -2                      ; the command's two bytes are in
        bra     length_found
length_of_write:
        movlw   5
        cpfslt  count, ACCESS
        bra     write_count_in
        bcf     STATUS, C, ACCESS
        return
write_count_in:
        movlw   249                     ; the longest frame is 256 bytes
        cpfsgt  BUF_N, BANKED
        bra     write_fits
        movlw   E_FORMAT
        bsf     STATUS, C, ACCESS
        return
write_fits:
        movf    BUF_N, W, BANKED
        addlw   2                       ; 7 + count, five bytes in
length_found:
        movwf   left, ACCESS
        setf    known, ACCESS
        bcf     STATUS, C, ACCESS
        return

lengths:        ; request lengths of commands 0x70..0x7B
        db      7, 0, 7, 8, 7, 0, 7, 0, 4, 6, 7, 0

;------------------------------------------------------------------------------
; Commands

execute:
        movf    BUF_CMD, W, BANKED
        addlw   -0x70
        movwf   tmp, ACCESS
        rlncf   tmp, W, ACCESS          ; two bytes a bra
        andlw   0xFE
        rcall   jump_w
        bra     cmd_read_ram            ; 0x70
        bra     cmd_write_ram           ; 0x71
        bra     cmd_read_bit            ; 0x72
        bra     cmd_write_bit           ; 0x73
        bra     cmd_read_ee             ; 0x74
        bra     cmd_write_ee            ; 0x75
        bra     cmd_read_flash          ; 0x76
        bra     cmd_write_flash         ; 0x77
        bra     cmd_ident               ; 0x78
        bra     cmd_init                ; 0x79
        bra     cmd_i2c                 ; 0x7A
        bra     cmd_i2c                 ; 0x7B

; Jumps W bytes past the rcall that called it (W even).
jump_w:
        addwf   TOSL, F, ACCESS
        movlw   0
        addwfc  TOSH, F, ACCESS
        addwfc  TOSU, F, ACCESS
        return

; No i2c bus is fitted: every module address goes unanswered.
cmd_i2c:
        movlw   E_NO_SLAVE
        bra     error_done

cmd_init:
        movlw   0x55
        cpfseq  BUF_ADRH, BANKED
        bra     init_refused
        movlw   0xAA
        cpfseq  BUF_ADRL, BANKED
        bra     init_refused
        reset                           ; the node starts afresh and says nothing
init_refused:
        movlw   E_TERMINATOR
        bra     error_done

;--- RAM ----------------------------------------------------------------------

cmd_read_ram:
        movlw   0x10                    ; file registers end at 0x1000
        rcall   check_read
        jnz     error_done
        rcall   reply_header
        movff   BUF + BUF_ADRH, FSR0H
        movff   BUF + BUF_ADRL, FSR0L
read_ram_byte:
        movf    POSTINC0, W, ACCESS     ; an indirect read of INDFn gives 0, no more
        rcall   tx_byte
        decfsz  left, F, ACCESS
        bra     read_ram_byte
        bra     reply_done

cmd_write_ram:
        movf    BUF_N, W, BANKED
        jz      format_error
        movwf   left, ACCESS
        rcall   check_ram_range
        jnz     error_done
        movff   BUF + BUF_ADRH, FSR0H
        movff   BUF + BUF_ADRL, FSR0L
        lfsr    1, BUF + BUF_DATA
write_ram_byte:
        movff   POSTINC1, POSTINC0
        decfsz  left, F, ACCESS
        bra     write_ram_byte
        bra     empty_reply

cmd_read_bit:
        rcall   check_bit
        jnz     error_done
        rcall   bit_mask
        andwf   INDF0, W, ACCESS
        bz      bit_is_0
        movlw   1
bit_is_0:
        movwf   tmp, ACCESS
        rcall   reply_header
        movf    tmp, W, ACCESS
        rcall   tx_byte
        bra     reply_done

cmd_write_bit:
        rcall   check_bit
        jnz     error_done
        movlw   1
        movwf   left, ACCESS
        rcall   check_ram_range
        jnz     error_done
        movff   BUF + BUF_ADRH, FSR0H
        movff   BUF + BUF_ADRL, FSR0L
        rcall   bit_mask
        movf    BUF_DATA, F, BANKED     ; 0 clears the bit, 1..FF sets it
        bz      clear_bit
        iorwf   INDF0, F, ACCESS
        bra     empty_reply
clear_bit:
        comf    WREG, W, ACCESS
        andwf   INDF0, F, ACCESS
        bra     empty_reply

; Z clear with W = code when the bit request is wrong; FSR0 = its address.
check_bit:
        movlw   7
        cpfsgt  BUF_N, BANKED
        bra     bit_address
        movlw   E_BIT
        bcf     STATUS, Z, ACCESS
        return
bit_address:
        movlw   0x10
        cpfslt  BUF_ADRH, BANKED
        bra     bit_no_memory
        movff   BUF + BUF_ADRH, FSR0H
        movff   BUF + BUF_ADRL, FSR0L
        bsf     STATUS, Z, ACCESS
        return
bit_no_memory:
        movlw   E_ADDRESS
        bcf     STATUS, Z, ACCESS
        return

; W = 1 << bit number.
bit_mask:
        movf    BUF_N, W, BANKED
        movwf   tmp, ACCESS
        movlw   1
        incf    tmp, F, ACCESS
mask_shift:
        dcfsnz  tmp, F, ACCESS
        return
        rlncf   WREG, W, ACCESS
        bra     mask_shift

; `left` bytes from the request's address: Z clear with W = code when one of
; them is no memory (0x800-0xF7F, past 0xFFF) or belongs to the monitor.
check_ram_range:
        movff   BUF + BUF_ADRH, FSR0H
        movff   BUF + BUF_ADRL, FSR0L
        movff   left, tmp
ram_cell:
        movlw   0x10
        cpfslt  FSR0H, ACCESS
        bra     ram_absent
        movlw   0x0F
        cpfseq  FSR0H, ACCESS
        bra     ram_not_sfr
        movlw   0x80                    ; 0xF80 up: the special function registers
        cpfslt  FSR0L, ACCESS
        bra     ram_sfr
ram_absent:
        movlw   E_ADDRESS
        bcf     STATUS, Z, ACCESS
        return
ram_sfr:
        movlw   0xD8 - 1                ; STATUS and the core registers above it
        cpfsgt  FSR0L, ACCESS
        bra     ram_usart
        bra     ram_closed
ram_usart:
        movlw   0xAB - 1                ; RCSTA, TXSTA, TXREG, RCREG, SPBRG
        cpfsgt  FSR0L, ACCESS
        bra     ram_ok
        movlw   0xAF + 1
        cpfslt  FSR0L, ACCESS
        bra     ram_ok
        bra     ram_closed
ram_not_sfr:
        movlw   0x08
        cpfslt  FSR0H, ACCESS
        bra     ram_absent              ; 0x800-0xF7F: not fitted on this chip
        movlw   0x01
        cpfseq  FSR0H, ACCESS
        bra     ram_not_buffer
        bra     ram_closed
ram_not_buffer:
        movf    FSR0H, F, ACCESS
        bnz     ram_ok
        movlw   MONITOR_RAM - 1
        cpfsgt  FSR0L, ACCESS
        bra     ram_ok
        movlw   0x5F + 1
        cpfslt  FSR0L, ACCESS
        bra     ram_ok
ram_closed:
        movlw   E_CLOSED
        bcf     STATUS, Z, ACCESS
        return
ram_ok:
        infsnz  FSR0L, F, ACCESS        ; on to the next cell, without reading it:
        incf    FSR0H, F, ACCESS        ; some registers change when read
        decfsz  tmp, F, ACCESS
        bra     ram_cell
        bsf     STATUS, Z, ACCESS
        return

;--- EEPROM -------------------------------------------------------------------

cmd_read_ee:
        movlw   0x04                    ; 1 KB
        rcall   check_read
        jnz     error_done
        rcall   reply_header
        movff   BUF + BUF_ADRH, EEADRH
        movff   BUF + BUF_ADRL, EEADR
read_ee_byte:
        bcf     EECON1, EEPGD, ACCESS
        bcf     EECON1, CFGS, ACCESS
        bsf     EECON1, RD, ACCESS
        movf    EEDATA, W, ACCESS
        rcall   tx_byte
        infsnz  EEADR, F, ACCESS
        incf    EEADRH, F, ACCESS
        decfsz  left, F, ACCESS
        bra     read_ee_byte
        bra     reply_done

cmd_write_ee:
        movf    BUF_N, W, BANKED
        jz      format_error
        movwf   left, ACCESS
        movlw   0x04
        rcall   check_end
        jnz     error_done
        movff   BUF + BUF_ADRH, EEADRH
        movff   BUF + BUF_ADRL, EEADR
        lfsr    1, BUF + BUF_DATA
write_ee_byte:
        movf    POSTINC1, W, ACCESS
        rcall   ee_write
        infsnz  EEADR, F, ACCESS
        incf    EEADRH, F, ACCESS
        decfsz  left, F, ACCESS
        bra     write_ee_byte
        bra     empty_reply

; W = EEPROM byte at address W (0x000-0x0FF).
ee_read:
        clrf    EEADRH, ACCESS
        movwf   EEADR, ACCESS
        bcf     EECON1, EEPGD, ACCESS
        bcf     EECON1, CFGS, ACCESS
        bsf     EECON1, RD, ACCESS
        movf    EEDATA, W, ACCESS
        return

; Writes W at EEADRH:EEADR and waits for the cell (about 4 ms). A cell that
; already holds the byte is left alone: it wears, and it takes time.
ee_write:
        movwf   tmp, ACCESS
        bcf     EECON1, EEPGD, ACCESS
        bcf     EECON1, CFGS, ACCESS
        bsf     EECON1, RD, ACCESS
        movf    EEDATA, W, ACCESS
        cpfseq  tmp, ACCESS
        bra     ee_write_cell
        return
ee_write_cell:
        movff   tmp, EEDATA
        bsf     EECON1, WREN, ACCESS
        rcall   unlock_and_write
ee_write_wait:
        btfsc   EECON1, WR, ACCESS
        bra     ee_write_wait
        bcf     EECON1, WREN, ACCESS
        return

;--- Flash --------------------------------------------------------------------

cmd_read_flash:
        rcall   check_count             ; the whole 64 KB address space reads;
        jnz     error_done              ; the chip has Flash up to 0x7FFF
        rcall   check_end_64k
        jnz     error_done
        rcall   reply_header
        clrf    TBLPTRU, ACCESS
        movff   BUF + BUF_ADRH, TBLPTRH
        movff   BUF + BUF_ADRL, TBLPTRL
read_flash_byte:
        btfsc   TBLPTRH, 7, ACCESS
        bra     read_flash_blank
        tblrd*+
        movf    TABLAT, W, ACCESS
        bra     read_flash_send
read_flash_blank:
        tblrd*+                         ; past the chip's 32 KB: erased, as an
        movlw   0xFF                    ; empty part of the address space
read_flash_send:
        rcall   tx_byte
        decfsz  left, F, ACCESS
        bra     read_flash_byte
        bra     reply_done

; One 64-byte block: erased, written as eight rows of eight bytes through the
; table latch, then read back.
cmd_write_flash:
        movlw   64
        cpfseq  BUF_N, BANKED
        bra     flash_not_64
        movf    BUF_ADRL, W, BANKED
        andlw   0x3F
        bnz     flash_not_block
        movlw   high FLASH_BOTTOM
        cpfslt  BUF_ADRH, BANKED
        bra     flash_not_monitor
        movlw   E_CLOSED
        bra     error_done
flash_not_monitor:
        btfss   BUF_ADRH, 7, BANKED     ; 0x8000 up: the chip has no Flash there
        bra     flash_write_block
        movlw   E_ADDRESS
        bra     error_done
flash_not_64:
        movlw   E_FLASH_64
        bra     error_done
flash_not_block:
        movlw   E_FLASH_BLOCK
        bra     error_done

flash_write_block:
        clrf    TBLPTRU, ACCESS
        movff   BUF + BUF_ADRH, TBLPTRH
        movff   BUF + BUF_ADRL, TBLPTRL
        bsf     EECON1, EEPGD, ACCESS
        bcf     EECON1, CFGS, ACCESS
        bsf     EECON1, WREN, ACCESS
        bsf     EECON1, FREE, ACCESS
        rcall   unlock_and_write        ; the CPU stands still while it erases
        bcf     EECON1, FREE, ACCESS
        tblrd*-                         ; tblwt+* below starts at the block
        lfsr    1, BUF + BUF_DATA
        movlw   8
        movwf   rows, ACCESS
flash_row:
        movlw   8
        movwf   left, ACCESS
flash_latch:
        movff   POSTINC1, TABLAT
        tblwt+*
        decfsz  left, F, ACCESS
        bra     flash_latch
        rcall   unlock_and_write        ; writes the row TBLPTR is in
        decfsz  rows, F, ACCESS
        bra     flash_row
        bcf     EECON1, WREN, ACCESS
        ; Read back
        movff   BUF + BUF_ADRH, TBLPTRH
        movff   BUF + BUF_ADRL, TBLPTRL
        lfsr    1, BUF + BUF_DATA
        movlw   64
        movwf   left, ACCESS
flash_check:
        tblrd*+
        movf    TABLAT, W, ACCESS
        cpfseq  POSTINC1, ACCESS
        bra     flash_differs
        decfsz  left, F, ACCESS
        bra     flash_check
        bra     empty_reply
flash_differs:
        movlw   E_VERIFY
        bra     error_done

; The required sequence before a self-write: 0x55 and 0xAA into EECON2, then
; WR. EECON1 says what is written (Flash, EEPROM, erase).
unlock_and_write:
        movlw   0x55
        movwf   EECON2, ACCESS
        movlw   0xAA
        movwf   EECON2, ACCESS
        bsf     EECON1, WR, ACCESS
        nop
        return

;--- Identifier ---------------------------------------------------------------

; 252 bytes: the text fields kept in Flash, then the four link parameters as
; they stand in EEPROM, each field ended by CR, the rest erased.
cmd_ident:
        setf    crcl, ACCESS
        setf    crch, ACCESS
        movf    REG_MODBUS, W, ACCESS
        rcall   tx_byte
        movlw   0x78
        rcall   tx_byte
        movlw   252
        movwf   left, ACCESS
        load_tblptr IDENT_TABLE
ident_text:
        tblrd*+
        movf    TABLAT, W, ACCESS
        bz      ident_text              ; the assembler's padding of odd lines
        incf    WREG, W, ACCESS
        bz      ident_speed             ; 0xFF: the erased Flash after the list
        decf    WREG, W, ACCESS
        rcall   id_byte
        bra     ident_text
ident_speed:
        movf    speed, W, ACCESS
        rcall   speed_text
ident_speed_char:
        tblrd*+
        movf    TABLAT, W, ACCESS
        bz      ident_speed_end
        rcall   id_byte
        bra     ident_speed_char
ident_speed_end:
        rcall   id_cr
        movf    REG_MODBUS, W, ACCESS
        rcall   id_hex_field
        movlw   0xFE
        rcall   ee_read
        rcall   id_hex_field
        movlw   0xFC
        rcall   ee_read
        rcall   id_hex_field
ident_fill:
        movlw   0xFF
        rcall   id_byte
        movf    left, F, ACCESS
        bnz     ident_fill
        bra     reply_done

; Sends W as one byte of the block; `left` counts the room that is left.
id_byte:
        movf    left, F, ACCESS
        btfsc   STATUS, Z, ACCESS
        return
        decf    left, F, ACCESS
        bra     tx_byte

id_cr:
        movlw   0x0D
        bra     id_byte

; W as two upper-case hexadecimal digits and a CR.
id_hex_field:
        movwf   endl, ACCESS
        swapf   endl, W, ACCESS
        rcall   hex_digit
        rcall   id_byte
        movf    endl, W, ACCESS
        rcall   hex_digit
        rcall   id_byte
        bra     id_cr

hex_digit:
        andlw   0x0F
        addlw   -10
        btfsc   STATUS, C, ACCESS
        addlw   'A' - '0' - 10
        addlw   '0' + 10
        return

;------------------------------------------------------------------------------
; Speeds

; W = SPBRG for speed code W.
spbrg_of_code:
        xorlw   0x15
        btfsc   STATUS, Z, ACCESS
        retlw   3                       ; 115200
        xorlw   0x15 ^ 0x2A
        btfsc   STATUS, Z, ACCESS
        retlw   7                       ; 57600
        xorlw   0x2A ^ 0x81
        btfsc   STATUS, Z, ACCESS
        retlw   23                      ; 19200
        retlw   47                      ; 9600: erased EEPROM and unknown codes

; TBLPTR = the speed's decimal text (ended by 0) for speed code W.
speed_text:
        rcall   spbrg_of_code
        movwf   tmp, ACCESS
        load_tblptr text_115200
        movlw   3
        cpfseq  tmp, ACCESS
        bra     not_115200
        return
not_115200:
        load_tblptr text_57600
        movlw   7
        cpfseq  tmp, ACCESS
        bra     not_57600
        return
not_57600:
        load_tblptr text_19200
        movlw   23
        cpfseq  tmp, ACCESS
        bra     not_19200
        return
not_19200:
        load_tblptr text_9600
        return

;------------------------------------------------------------------------------
; Address checks

; A read's count (W = the memory's end >> 8): Z clear with W = code when the
; count or the range is wrong; `left` = the count.
check_read:
        movwf   endh, ACCESS
        rcall   check_count
        btfss   STATUS, Z, ACCESS
        return
        movf    endh, W, ACCESS
        bra     check_end

; Only the count: 1..249.
check_count:
        movf    BUF_N, W, BANKED
        movwf   left, ACCESS
        bnz     count_not_0
        movlw   E_READ_0
        bcf     STATUS, Z, ACCESS
        return
count_not_0:
        movlw   249
        cpfsgt  BUF_N, BANKED
        bra     count_ok
        movlw   E_READ_LONG
        bcf     STATUS, Z, ACCESS
        return
count_ok:
        bsf     STATUS, Z, ACCESS
        return

; Address + `left` must not pass W * 0x100: Z clear with W = E_ADDRESS if it does.
check_end:
        movwf   endh, ACCESS
        movf    left, W, ACCESS
        addwf   BUF_ADRL, W, BANKED
        movwf   endl, ACCESS
        movlw   0
        addwfc  BUF_ADRH, W, BANKED
        bc      range_out               ; past 0xFFFF
        cpfslt  endh, ACCESS            ; end high < limit: inside
        bra     end_high_at_limit
        bra     range_out
end_high_at_limit:
        cpfseq  endh, ACCESS
        bra     range_in
        movf    endl, F, ACCESS         ; end == limit * 0x100 exactly
        bz      range_in
range_out:
        movlw   E_ADDRESS
        bcf     STATUS, Z, ACCESS
        return
range_in:
        bsf     STATUS, Z, ACCESS
        return

; Address + `left` must not pass 0x10000.
check_end_64k:
        movf    left, W, ACCESS
        addwf   BUF_ADRL, W, BANKED
        movwf   endl, ACCESS
        movlw   0
        addwfc  BUF_ADRH, W, BANKED
        bnc     range_in
        iorwf   endl, W, ACCESS         ; exactly 0x10000 is the space's end
        bz      range_in
        bra     range_out

;------------------------------------------------------------------------------
; Replies. Bytes go out as they are made; the CRC follows them.

format_error:
        movlw   E_FORMAT
error_done:
        rcall   error_reply
        bra     wait_request

; An error reply: address, 0x80 | code, 0, CRC.
error_reply:
        movwf   ecode, ACCESS
        setf    crcl, ACCESS
        setf    crch, ACCESS
        movf    REG_MODBUS, W, ACCESS
        rcall   tx_byte
        movf    ecode, W, ACCESS
        iorlw   0x80
        rcall   tx_byte
        movlw   0
        rcall   tx_byte
        bra     send_crc

empty_reply:
        rcall   reply_header
reply_done:
        rcall   send_crc
        bra     wait_request

; Address, the command with bit 7 clear, and the request's bytes 2..4.
reply_header:
        setf    crcl, ACCESS
        setf    crch, ACCESS
        movf    REG_MODBUS, W, ACCESS
        rcall   tx_byte
        movf    BUF_CMD, W, BANKED
        andlw   0x7F
        rcall   tx_byte
        movf    BUF_ADRH, W, BANKED
        rcall   tx_byte
        movf    BUF_ADRL, W, BANKED
        rcall   tx_byte
        movf    BUF_N, W, BANKED
        bra     tx_byte

; The CRC, low byte first, then the wait until the last bit has left.
send_crc:
        movf    crch, W, ACCESS
        movwf   endh, ACCESS
        movf    crcl, W, ACCESS
        rcall   tx_raw
        movf    endh, W, ACCESS
        rcall   tx_raw
tx_drain:
        btfss   TXSTA, TRMT, ACCESS
        bra     tx_drain
        return

; W into the CRC and onto the line (not for a broadcast).
tx_byte:
        movwf   endh, ACCESS            ; endh is free while a reply is made
        rcall   crc_byte
        movf    endh, W, ACCESS
tx_raw:
        movf    quiet, F, ACCESS
        btfss   STATUS, Z, ACCESS
        return
tx_wait:
        btfss   PIR1, TXIF, ACCESS
        bra     tx_wait
        movwf   TXREG, ACCESS
        return

; CRC16 (Modbus: reflected 0xA001, start 0xFFFF) of W added to crch:crcl.
crc_byte:
        xorwf   crcl, F, ACCESS
        movlw   8
        movwf   bits, ACCESS
crc_bit:
        bcf     STATUS, C, ACCESS
        rrcf    crch, F, ACCESS
        rrcf    crcl, F, ACCESS
        bnc     crc_next
        movlw   0xA0
        xorwf   crch, F, ACCESS
        movlw   0x01
        xorwf   crcl, F, ACCESS
crc_next:
        decfsz  bits, F, ACCESS
        bra     crc_bit
        return

;------------------------------------------------------------------------------
; Texts

speed_texts:
text_115200:    db      "115200", 0
text_57600:     db      "57600", 0
text_19200:     db      "19200", 0
text_9600:      db      "9600", 0

;------------------------------------------------------------------------------
; The identifier block's text fields in Windows-1251, each ended by CR, the
; list ended by 0xFF; the zeros the assembler pads odd lines with are skipped.
; The link parameters are added from EEPROM when the block is read.

        org     IDENT_TABLE
        ; "ПЛК-18 узел"
        db      0xCF, 0xCB, 0xCA, "-18 ", 0xF3, 0xE7, 0xE5, 0xEB, 0x0D
        ; "Монитор" (monitor)
        db      0xCC, 0xEE, 0xED, 0xE8, 0xF2, 0xEE, 0xF0, 0x0D
        db      "1.00", 0x0D                    ; version
        db      "01.03.2026", 0x0D              ; date
        db      "000001", 0x0D                  ; serial number
        db      "Velmora", 0x0D                 ; made by
        db      "Velmora", 0x0D                 ; developed by
        db      "service@velmora.example", 0x0D
        db      "velmora.example", 0x0D
        db      "+7 000 000-00-00", 0x0D        ; telephone
        db      "-", 0x0D                       ; fax
        db      "PIC18F6520", 0x0D              ; comment
        db      0xFF, 0xFF

        end
